/* Native Linux helper around libgcrypt, the independent Twofish and MD5 that the vault's own
 * implementations are checked against.
 *
 *   gcrypt_ref vectors <count>   random known-answer lines for the Wine tests:
 *       TF <key hex> <plain hex> <cipher hex>      key of 16, 24 or 32 bytes
 *       TF <key hex> ...                           other lengths: zero-padded to 16 or 32
 *                                                  bytes, or cut to 32, before use
 *       MD5 <message hex or -> <digest hex>
 *   gcrypt_ref bench <megabytes>  throughput figures, one "name MB/s" line each
 */
#include <gcrypt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static void hex(FILE* out, const unsigned char* p, size_t n)
{
    if (n == 0)
        fputc('-', out);
    for (size_t i = 0; i < n; ++i)
        fprintf(out, "%02X", p[i]);
}

static int twofish(const unsigned char* key, size_t keyLength, const unsigned char* in, unsigned char* out, size_t n)
{
    gcry_cipher_hd_t h;
    int algo = keyLength == 16 ? GCRY_CIPHER_TWOFISH128 : GCRY_CIPHER_TWOFISH;
    if (gcry_cipher_open(&h, algo, GCRY_CIPHER_MODE_ECB, 0))
        return 0;
    int ok = !gcry_cipher_setkey(h, key, keyLength) && !gcry_cipher_encrypt(h, out, n, in, n);
    gcry_cipher_close(h);
    return ok;
}

static double seconds(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

static int vectors(int count)
{
    static const size_t keyLengths[] = {16, 24, 32};
    static const size_t edges[] = {0, 1, 3, 55, 56, 57, 63, 64, 65, 119, 120, 128, 1000};
    for (int i = 0; i < count; ++i) {
        for (size_t k = 0; k < 3; ++k) {
            unsigned char key[32], plain[16], cipher[16];
            gcry_randomize(key, keyLengths[k], GCRY_WEAK_RANDOM);
            gcry_randomize(plain, 16, GCRY_WEAK_RANDOM);
            if (!twofish(key, keyLengths[k], plain, cipher, 16))
                continue; /* a key length this libgcrypt does not take */
            printf("TF ");
            hex(stdout, key, keyLengths[k]);
            putchar(' ');
            hex(stdout, plain, 16);
            putchar(' ');
            hex(stdout, cipher, 16);
            putchar('\n');
        }
        static const size_t odd[] = {5, 15, 25, 31, 40, 64};
        {
            unsigned char raw[64], padded[32] = {0}, plain[16], cipher[16];
            size_t rawLength = odd[i % 6], used = rawLength < 32 ? rawLength : 32;
            gcry_randomize(raw, rawLength, GCRY_WEAK_RANDOM);
            gcry_randomize(plain, 16, GCRY_WEAK_RANDOM);
            memcpy(padded, raw, used);
            if (twofish(padded, rawLength <= 16 ? 16 : 32, plain, cipher, 16)) {
                printf("TF ");
                hex(stdout, raw, rawLength);
                putchar(' ');
                hex(stdout, plain, 16);
                putchar(' ');
                hex(stdout, cipher, 16);
                putchar('\n');
            }
        }
        size_t length = i < (int)(sizeof edges / sizeof edges[0]) ? edges[i] : (size_t)(rand() % 2000);
        unsigned char* message = malloc(length + 1);
        unsigned char digest[16];
        gcry_randomize(message, length, GCRY_WEAK_RANDOM);
        gcry_md_hash_buffer(GCRY_MD_MD5, digest, message, length);
        printf("MD5 ");
        hex(stdout, message, length);
        putchar(' ');
        hex(stdout, digest, 16);
        putchar('\n');
        free(message);
    }
    return 0;
}

static int bench(int megabytes)
{
    size_t n = (size_t)megabytes << 20;
    unsigned char* buffer = malloc(n);
    unsigned char key[32], digest[16];
    memset(buffer, 0x5A, n);
    gcry_randomize(key, sizeof key, GCRY_WEAK_RANDOM);
    static const size_t keyLengths[] = {16, 32};
    for (int k = 0; k < 2; ++k) {
        gcry_cipher_hd_t h;
        int algo = keyLengths[k] == 16 ? GCRY_CIPHER_TWOFISH128 : GCRY_CIPHER_TWOFISH;
        gcry_cipher_open(&h, algo, GCRY_CIPHER_MODE_ECB, 0);
        gcry_cipher_setkey(h, key, keyLengths[k]);
        double t0 = seconds();
        gcry_cipher_encrypt(h, buffer, n, NULL, 0);
        double t1 = seconds();
        gcry_cipher_decrypt(h, buffer, n, NULL, 0);
        double t2 = seconds();
        gcry_cipher_close(h);
        printf("twofish%zu-encipher %.1f\n", keyLengths[k] * 8, megabytes / (t1 - t0));
        printf("twofish%zu-decipher %.1f\n", keyLengths[k] * 8, megabytes / (t2 - t1));
    }
    double t0 = seconds();
    gcry_md_hash_buffer(GCRY_MD_MD5, digest, buffer, n);
    printf("md5 %.1f\n", megabytes / (seconds() - t0));
    free(buffer);
    return 0;
}

int main(int argc, char** argv)
{
    if (!gcry_check_version(GCRYPT_VERSION))
        return 1;
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    srand((unsigned)time(NULL));
    if (argc >= 3 && strcmp(argv[1], "vectors") == 0)
        return vectors(atoi(argv[2]));
    if (argc >= 3 && strcmp(argv[1], "bench") == 0)
        return bench(atoi(argv[2]));
    fprintf(stderr, "usage: gcrypt_ref vectors <count> | bench <megabytes>\n");
    return 2;
}
