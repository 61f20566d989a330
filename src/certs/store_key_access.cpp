#include "certs/store_key_access.h"

#include "e2eCrypto/error_records.h"

#include <prerror.h>
#include <secerr.h>

#include <cstdio>
#include <string_view>

namespace {

void freeItemContents(SECItem* item) {
    SECITEM_FreeItem(item, PR_FALSE);
}
void freeArena(PLArenaPool* arena) {
    PORT_FreeArena(arena, PR_FALSE);
}
using ItemContents = std::unique_ptr<SECItem, NssDeleter<freeItemContents>>;
using SymmetricKey = std::unique_ptr<PK11SymKey, NssDeleter<PK11_FreeSymKey>>;
using Arena = std::unique_ptr<PLArenaPool, NssDeleter<freeArena>>;

constexpr const char* passwordFailed =
    "Signing Key is not accessable from the Certificate store. Either you have "
    "provided an incorrect password OR you have Cancelled the operation.";

[[noreturn]] void fail(const std::string& message) {
    throw errorDef::error_message(message);
}

SECItem itemOf(std::string_view bytes) {
    return {siBuffer, reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
            static_cast<unsigned int>(bytes.size())};
}

struct DigestMechanisms {
    std::string_view name;
    CK_MECHANISM_TYPE hash;
    CK_RSA_PKCS_MGF_TYPE mgf;
    CK_EC_KDF_TYPE kdf;
};
constexpr DigestMechanisms digestMechanisms[] = {
    {"SHA1", CKM_SHA_1, CKG_MGF1_SHA1, CKD_SHA1_KDF},
    {"SHA224", CKM_SHA224, CKG_MGF1_SHA224, CKD_SHA224_KDF},
    {"SHA256", CKM_SHA256, CKG_MGF1_SHA256, CKD_SHA256_KDF},
    {"SHA384", CKM_SHA384, CKG_MGF1_SHA384, CKD_SHA384_KDF},
    {"SHA512", CKM_SHA512, CKG_MGF1_SHA512, CKD_SHA512_KDF},
};

const DigestMechanisms* mechanismsFor(std::string_view digest) {
    for (const DigestMechanisms& mechanisms : digestMechanisms) {
        if (mechanisms.name == digest) {
            return &mechanisms;
        }
    }
    return nullptr;
}

// The symmetric key's bytes; nothing when its token will not let them out.
std::optional<SecretString> keyBytes(PK11SymKey& key) {
    if (PK11_ExtractKeyValue(&key) != SECSuccess) {
        return std::nullopt;
    }
    const SECItem* value = PK11_GetKeyData(&key);
    if (value == nullptr || value->data == nullptr) {
        return std::nullopt;
    }
    return SecretString(std::string_view(reinterpret_cast<const char*>(value->data), value->len));
}

} // namespace

NssDatabase openNssDatabase(const std::string& storeDirectory) {
    const std::string configuration = "sql:" + storeDirectory;
    NssDatabase database(
        NSS_InitContext(configuration.c_str(), "", "", "", nullptr, NSS_INIT_READONLY | NSS_INIT_NOROOTINIT));
    if (!database) {
        // The code alone tells a person nothing: the folder and NSS's words say what to mend.
        const PRErrorCode code = PR_GetError();
        char message[64];
        std::snprintf(message, sizeof message, "Error %x in getting CertList from IE Store",
                      static_cast<unsigned int>(code));
        fail(std::string(message) + ": " + storeDirectory + ": " +
             PR_ErrorToString(code, PR_LANGUAGE_I_DEFAULT));
    }
    return database;
}

StoreKeyAccess::StoreKeyAccess(const StorePasswordPrompt& prompt, const std::string& certificateDer,
                               const std::string& name)
    : password_{&prompt} {
    PK11_SetPasswordFunc(askPassword);
    findCertificate(certificateDer, name);
    findPrivateKey();
    checkKey();
}

StoreKeyAccess::~StoreKeyAccess() {
    if (slot_) {
        PK11_Logout(slot_.get());
    }
}

char* StoreKeyAccess::askPassword(PK11SlotInfo* slot, PRBool retry, void* state) {
    auto* password = static_cast<PasswordState*>(state);
    if (password == nullptr || password->prompt == nullptr || !*password->prompt || password->cancelled ||
        password->attempts >= passwordAttempts) {
        return nullptr;
    }
    ++password->attempts;
    try {
        const std::optional<SecretString> answer =
            (*password->prompt)(PK11_GetTokenName(slot), retry == PR_TRUE);
        if (!answer) {
            password->cancelled = true;
            return nullptr;
        }
        return PORT_Strdup(answer->c_str());
    } catch (...) {
        // Nothing may unwind through NSS; a prompt that fails counts as cancelled.
        password->cancelled = true;
        return nullptr;
    }
}

void StoreKeyAccess::findCertificate(const std::string& certificateDer, const std::string& name) {
    SECItem der = itemOf(certificateDer);
    certificate_.reset(CERT_FindCertByDERCert(CERT_GetDefaultCertDB(), &der));
    // A temporary certificate made from the same bytes in this process is no proof that the store has it.
    if (!certificate_ || !certificate_->isperm) {
        fail("Decryption Certificate of \"" + name + "\" not found!");
    }
}

void StoreKeyAccess::findPrivateKey() {
    // The certificate's key is looked for on the token that holds the certificate, whichever it is;
    // that token asks for its password here.
    PORT_SetError(0);
    key_.reset(PK11_FindKeyByAnyCert(certificate_.get(), &password_));
    if (!key_) {
        if (PORT_GetError() == SEC_ERROR_BAD_PASSWORD || password_.cancelled) {
            fail(passwordFailed);
        }
        fail("Private Key residing in your Internet Explorer is not exportable");
    }
    slot_.reset(PK11_GetSlotFromPrivateKey(key_.get()));
}

void StoreKeyAccess::checkKey() {
    CK_ATTRIBUTE_TYPE use = CKA_DECRYPT;
    switch (SECKEY_GetPrivateKeyType(key_.get())) {
    case rsaKey:
        kind_ = Kind::Rsa;
        if (PK11_GetPrivateModulusLen(key_.get()) <= 0) {
            fail("BAD KEY PARAMETER");
        }
        break;
    case ecKey: {
        kind_ = Kind::EllipticCurve;
        use = CKA_DERIVE;
        SECItem curve{siBuffer, nullptr, 0};
        const bool known =
            PK11_ReadRawAttribute(PK11_TypePrivKey, key_.get(), CKA_EC_PARAMS, &curve) == SECSuccess &&
            curve.len > 0;
        SECITEM_FreeItem(&curve, PR_FALSE);
        if (!known) {
            fail("BAD KEY PARAMETER");
        }
        break;
    }
    default:
        fail("This encryption algorithm is not supported in this version");
    }
    // The one refusal a store makes about a key it holds: it may not be used for this.
    if (!PK11_HasAttributeSet(slot_.get(), key_->pkcs11ID, use, PR_FALSE)) {
        fail("Error getting key. Private Key residing in your Internet Explorer is not exportable ");
    }
}

std::optional<SecretString> StoreKeyAccess::decryptKey(std::string_view encryptedKey,
                                                       const KeyTransportPadding& padding) {
    const int modulusLength = PK11_GetPrivateModulusLen(key_.get());
    if (kind_ != Kind::Rsa || modulusLength <= 0 ||
        encryptedKey.size() > static_cast<std::size_t>(modulusLength)) {
        return std::nullopt;
    }
    SecretString key(std::string(static_cast<std::size_t>(modulusLength), '\0'));
    auto* out = reinterpret_cast<unsigned char*>(key.mutableStr().data());
    auto* in = reinterpret_cast<unsigned char*>(const_cast<char*>(encryptedKey.data()));
    const auto inLength = static_cast<unsigned int>(encryptedKey.size());
    unsigned int length = 0;
    SECStatus decrypted = SECFailure;
    if (!padding.oaep) {
        decrypted = PK11_PrivDecryptPKCS1(key_.get(), out, &length, static_cast<unsigned int>(modulusLength),
                                          in, inLength);
    } else if (const DigestMechanisms* mechanisms = mechanismsFor(padding.digest)) {
        CK_RSA_PKCS_OAEP_PARAMS oaep{
            mechanisms->hash, mechanisms->mgf, CKZ_DATA_SPECIFIED,
            padding.label.empty() ? nullptr
                                  : reinterpret_cast<unsigned char*>(const_cast<char*>(padding.label.data())),
            padding.label.size()};
        SECItem parameters{siBuffer, reinterpret_cast<unsigned char*>(&oaep), sizeof oaep};
        decrypted = PK11_PrivDecrypt(key_.get(), CKM_RSA_PKCS_OAEP, &parameters, out, &length,
                                     static_cast<unsigned int>(modulusLength), in, inLength);
    }
    if (decrypted != SECSuccess) {
        return std::nullopt;
    }
    key.mutableStr().resize(length);
    return key;
}

std::optional<SecretString> StoreKeyAccess::agreeKey(const KeyAgreement& agreement) {
    const DigestMechanisms* mechanisms = mechanismsFor(agreement.kdfDigest);
    if (kind_ != Kind::EllipticCurve || mechanisms == nullptr) {
        return std::nullopt;
    }
    // The sender's public key on this key's own curve.
    const Arena arena(PORT_NewArena(2048));
    auto* peer = arena ? PORT_ArenaZNew(arena.get(), SECKEYPublicKey) : nullptr;
    if (peer == nullptr) {
        return std::nullopt;
    }
    SECItem curve{siBuffer, nullptr, 0};
    const ItemContents curveHolder(&curve);
    if (PK11_ReadRawAttribute(PK11_TypePrivKey, key_.get(), CKA_EC_PARAMS, &curve) != SECSuccess) {
        return std::nullopt;
    }
    peer->arena = arena.get();
    peer->keyType = ecKey;
    peer->pkcs11ID = CK_INVALID_HANDLE;
    peer->u.ec.DEREncodedParams = curve;
    peer->u.ec.publicValue = itemOf(agreement.originatorPoint);
    SECItem sharedInfo = itemOf(agreement.sharedInfo);
    const SymmetricKey wrappingKey(PK11_PubDeriveWithKDF(
        key_.get(), peer, PR_FALSE, nullptr, nullptr, CKM_ECDH1_DERIVE, CKM_AES_KEY_WRAP, CKA_UNWRAP,
        static_cast<int>(agreement.keyLength), mechanisms->kdf,
        agreement.sharedInfo.empty() ? nullptr : &sharedInfo, key_->wincx));
    return wrappingKey ? keyBytes(*wrappingKey) : std::nullopt;
}
