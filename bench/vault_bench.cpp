// Throughput of the vault's own Twofish and MD5 beside libgcrypt's on the same machine, and
// the time to make the keys of a new lockbox and to open one by password.
// Usage: vault_bench [libgcrypt figures file] — the file holds "name MB/s" lines written by
// the native helper (gcrypt_ref bench).

#include "CCryptoEngine.h"
#include "CDataFile.h"
#include "CLockboxKeys.h"
#include "CMd5.h"
#include "CTwofish.h"
#include "UniqueHandle.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

double now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency.QuadPart;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::map<std::string, double> readReference(const char* path)
{
    std::map<std::string, double> figures;
    std::ifstream in(path);
    std::string name;
    double value;
    while (in >> name >> value)
        figures[name] = value;
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    const auto reference = argc > 1 ? readReference(argv[1]) : std::map<std::string, double>{};
    const size_t megabytes = 32;
    std::vector<BYTE> buffer(megabytes << 20, 0x5A);
    std::map<std::string, double> ours;

    for (size_t keyBytes : {16u, 32u}) {
        BYTE key[32];
        for (int i = 0; i < 32; ++i)
            key[i] = static_cast<BYTE>(i * 37 + 1);
        CTwofish cipher(key, keyBytes);
        double t0 = now();
        cipher.encipher(buffer.data(), buffer.size());
        double t1 = now();
        cipher.decipher(buffer.data(), buffer.size());
        double t2 = now();
        std::string name = "twofish" + std::to_string(keyBytes * 8);
        ours[name + "-encipher"] = megabytes / (t1 - t0);
        ours[name + "-decipher"] = megabytes / (t2 - t1);
    }
    double t0 = now();
    CMd5::Digest digest = CMd5::digest(buffer.data(), buffer.size());
    ours["md5"] = megabytes / (now() - t0);

    std::printf("Throughput, MB/s (ECB over %zu MB; libgcrypt natively on this machine)\n", megabytes);
    std::printf("  %-20s %10s %10s\n", "", "Velmora", "libgcrypt");
    for (const auto& [name, value] : ours) {
        auto it = reference.find(name);
        if (it != reference.end())
            std::printf("  %-20s %10.1f %10.1f\n", name.c_str(), value, it->second);
        else
            std::printf("  %-20s %10.1f %10s\n", name.c_str(), value, "-");
    }

    // Keys of new lockboxes in a folder of our own, with a fresh key container.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"vault-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    HCRYPTPROV gone = 0;
    CryptAcquireContextW(&gone, CCryptoEngine::ContainerName, CCryptoEngine::PreferredProvider, PROV_RSA_FULL,
                         CRYPT_DELETEKEYSET);
    t0 = now();
    bool initialised = CCryptoEngine::instance().ensureInitialised();
    const double firstInit = now() - t0;

    std::vector<double> create, open;
    std::vector<std::wstring> files;
    for (int i = 0; i < 20 && initialised; ++i) {
        CFileHandle file;
        std::wstring path;
        if (!CDataFile::create(folder, 1, file, path))
            break;
        t0 = now();
        CLockboxKeys keys(path, L"bench password");
        bool made = keys.createKeys(L"bench password", L"Question?", L"answer", file.get());
        create.push_back(now() - t0);
        file.reset();
        files.push_back(path);
        if (!made)
            break;
    }
    for (int i = 0; i < 50 && !files.empty(); ++i) {
        t0 = now();
        CLockboxKeys keys(files[i % files.size()]);
        CSecretBytes key;
        bool ok = keys.load() && keys.unlockWithPassword(L"bench password", false, key);
        open.push_back(now() - t0);
        if (!ok)
            break;
    }
    std::printf("Lockbox keys (CryptoAPI under Wine, data files of 1 MB)\n");
    std::printf("  first initialisation (container and key pair made)  %8.2f ms\n", firstInit * 1000);
    std::printf("  create keys of a new lockbox, median of %zu          %8.2f ms\n", create.size(),
                median(create) * 1000);
    std::printf("  open by password (load and unlock), median of %zu    %8.2f ms\n", open.size(), median(open) * 1000);
    std::printf("(digest %02X..., to keep the work)\n", digest[0]);

    for (const auto& f : files) {
        DeleteFileW(f.c_str());
        DeleteFileW((f + L"_config").c_str());
    }
    RemoveDirectoryW(folder.c_str());
    CCryptoEngine::instance().release();
    CryptAcquireContextW(&gone, CCryptoEngine::ContainerName, CCryptoEngine::PreferredProvider, PROV_RSA_FULL,
                         CRYPT_DELETEKEYSET);
    return create.size() == 20 && open.size() == 50 ? 0 : 1;
}
