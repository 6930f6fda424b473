// Windows tests: a certificate in the current user's trusted root store for
// the life of one object. WinHTTP trusts only the system store, so this is
// how a test makes the loopback server's self-signed certificate trusted.
// Wine's root store is the host's certificate list and keeps no additions:
// ok() says whether the certificate really is in the store.
#pragma once

#include <wincrypt.h>
#include <windows.h>

#include <string>

#include "support/temp_dir.h"

namespace kestrune::test {

class ScopedRootCertificate {
 public:
  explicit ScopedRootCertificate(const std::string& pemFile) {
    std::string pem = ReadFile(pemFile);
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
      return;
    std::string der(size, '\0');
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                              CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()), &size,
                              nullptr, nullptr))
      return;
    store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!store_) return;
    CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING,
                                     reinterpret_cast<const BYTE*>(der.data()), size,
                                     CERT_STORE_ADD_REPLACE_EXISTING, &added_);
    if (!added_) return;
    // Seen from a fresh handle, as the chain engine will see it.
    HCERTSTORE again =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!again) return;
    PCCERT_CONTEXT found = CertFindCertificateInStore(again, X509_ASN_ENCODING, 0,
                                                      CERT_FIND_EXISTING, added_, nullptr);
    present_ = found != nullptr;
    if (found) CertFreeCertificateContext(found);
    CertCloseStore(again, 0);
  }
  ~ScopedRootCertificate() {
    if (added_) CertDeleteCertificateFromStore(added_);  // frees the context too
    if (store_) CertCloseStore(store_, 0);
  }
  ScopedRootCertificate(const ScopedRootCertificate&) = delete;
  ScopedRootCertificate& operator=(const ScopedRootCertificate&) = delete;

  bool ok() const { return present_; }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT added_ = nullptr;
  bool present_ = false;
};

}  // namespace kestrune::test
