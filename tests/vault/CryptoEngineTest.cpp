// The CryptoAPI engine against Wine's real provider and key container.

#include "CCryptoEngine.h"
#include "CKeyContainer.h"
#include "CMd5.h"
#include "CVaultTest.h"

#include <gtest/gtest.h>

#include <wincrypt.h>

namespace {

using CryptoEngineTest = CVaultTest;

bool containerHasExchangeKey()
{
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, CCryptoEngine::ContainerName, CCryptoEngine::PreferredProvider,
                              PROV_RSA_FULL, 0))
        return false;
    HCRYPTKEY key = 0;
    bool has = CryptGetUserKey(provider, AT_KEYEXCHANGE, &key) != FALSE;
    if (has)
        CryptDestroyKey(key);
    CryptReleaseContext(provider, 0);
    return has;
}

// The first initialisation makes the container and a key pair; the next finds both, so what
// one wrapped the other unwraps.
TEST_F(CryptoEngineTest, FirstInitialisationMakesTheContainerAndTheNextFindsIt)
{
    EXPECT_FALSE(containerHasExchangeKey());
    CCryptoEngine engine;
    ASSERT_TRUE(engine.ensureInitialised());
    EXPECT_EQ(engine.providerName(), CCryptoEngine::PreferredProvider);
    const BYTE data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    auto wrapped = engine.wrapForAccount(data, sizeof data);
    engine.release();
    EXPECT_FALSE(engine.initialised());
    // The provider keeps the pair in the container once the context is released.
    EXPECT_TRUE(containerHasExchangeKey());

    CCryptoEngine again;
    ASSERT_TRUE(again.ensureInitialised());
    std::vector<BYTE> plain;
    ASSERT_TRUE(again.unwrapForAccount(wrapped.data, wrapped.digest, plain));
    EXPECT_EQ(plain, std::vector<BYTE>(data, data + 16));
}

TEST_F(CryptoEngineTest, WrappedKeyCarriesTheMd5OfThePlainData)
{
    CCryptoEngine engine;
    ASSERT_TRUE(engine.ensureInitialised());
    const BYTE data[16] = {0xDE, 0xAD, 0xBE, 0xEF};
    auto wrapped = engine.wrapForAccount(data, sizeof data);
    auto md5 = CMd5::digest(data, sizeof data);
    EXPECT_EQ(wrapped.digest, std::vector<BYTE>(md5.begin(), md5.end()));
    // RSA output: the size of the key's modulus, not of the data.
    EXPECT_GE(wrapped.data.size(), 64u);
    EXPECT_EQ(wrapped.data.size() % 8, 0u);

    std::vector<BYTE> plain;
    auto wrongDigest = wrapped.digest;
    wrongDigest[0] ^= 1;
    EXPECT_FALSE(engine.unwrapForAccount(wrapped.data, wrongDigest, plain));
    EXPECT_TRUE(plain.empty());
    auto damaged = wrapped.data;
    damaged[damaged.size() / 2] ^= 0x40;
    EXPECT_FALSE(engine.unwrapForAccount(damaged, wrapped.digest, plain));
}

// Another Windows account has its own key pair: the first account's entry does not open.
TEST_F(CryptoEngineTest, AnotherAccountsKeyPairCannotUnwrap)
{
    auto first = CKeyContainer::newExchangePair(CCryptoEngine::ContainerName);
    ASSERT_FALSE(first.empty());
    CCryptoEngine engine;
    ASSERT_TRUE(engine.ensureInitialised());
    const BYTE data[16] = {42};
    auto wrapped = engine.wrapForAccount(data, sizeof data);
    engine.release();

    ASSERT_FALSE(CKeyContainer::newExchangePair(CCryptoEngine::ContainerName).empty());
    ASSERT_TRUE(engine.ensureInitialised());
    std::vector<BYTE> plain;
    EXPECT_FALSE(engine.unwrapForAccount(wrapped.data, wrapped.digest, plain));
    engine.release();

    ASSERT_TRUE(CKeyContainer::restoreExchangePair(CCryptoEngine::ContainerName, first));
    ASSERT_TRUE(engine.ensureInitialised());
    EXPECT_TRUE(engine.unwrapForAccount(wrapped.data, wrapped.digest, plain));
}

TEST_F(CryptoEngineTest, RandomBytesAreAtLeastSixteenAndDiffer)
{
    CCryptoEngine engine;
    ASSERT_TRUE(engine.ensureInitialised());
    EXPECT_EQ(engine.randomBytes(0).size(), 16u);
    EXPECT_EQ(engine.randomBytes(5).size(), 16u);
    EXPECT_EQ(engine.randomBytes(40).size(), 40u);
    EXPECT_NE(engine.randomBytes(16), engine.randomBytes(16));
}

// A failure raises after releasing everything; the next initialisation starts afresh.
TEST_F(CryptoEngineTest, RaisedErrorReleasesTheContext)
{
    CCryptoEngine engine;
    EXPECT_THROW(engine.randomBytes(16), CCryptoError);
    const BYTE data[16] = {};
    EXPECT_THROW(engine.wrapForAccount(data, sizeof data), CCryptoError);
    EXPECT_FALSE(engine.initialised());
    EXPECT_TRUE(engine.ensureInitialised());
}

} // namespace
