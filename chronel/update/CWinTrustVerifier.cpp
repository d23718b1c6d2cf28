#include "CWinTrustVerifier.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace {

struct StoreHandle {
    HCERTSTORE handle = nullptr;
    ~StoreHandle()
    {
        if (handle)
            CertCloseStore(handle, 0);
    }
};
struct MessageHandle {
    HCRYPTMSG handle = nullptr;
    ~MessageHandle()
    {
        if (handle)
            CryptMsgClose(handle);
    }
};
struct CertificateContext {
    PCCERT_CONTEXT context = nullptr;
    ~CertificateContext()
    {
        if (context)
            CertFreeCertificateContext(context);
    }
};

} // namespace

LONG CWinTrustVerifier::verify(const std::wstring& path, HANDLE file)
{
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    // The state kept by the verify step is released by the close step.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

std::wstring CWinTrustVerifier::signerSubject(const std::wstring& path)
{
    DWORD encoding = 0, contentType = 0, formatType = 0;
    StoreHandle store;
    MessageHandle message;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType, &store.handle,
                          &message.handle, nullptr))
        return {};
    DWORD size = 0;
    if (!CryptMsgGetParam(message.handle, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0)
        return {};
    std::vector<BYTE> buffer(size);
    if (!CryptMsgGetParam(message.handle, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size))
        return {};
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());

    CERT_INFO wanted{};
    wanted.Issuer = signer->Issuer;
    wanted.SerialNumber = signer->SerialNumber;
    CertificateContext certificate{CertFindCertificateInStore(store.handle, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                              0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr)};
    if (!certificate.context)
        return {};
    CERT_NAME_BLOB* subject = &certificate.context->pCertInfo->Subject;
    const DWORD characters = CertNameToStrW(X509_ASN_ENCODING, subject, CERT_X500_NAME_STR, nullptr, 0);
    if (characters <= 1)
        return {};
    std::wstring text(characters, L'\0');
    CertNameToStrW(X509_ASN_ENCODING, subject, CERT_X500_NAME_STR, text.data(), characters);
    text.resize(characters - 1);
    return text;
}
