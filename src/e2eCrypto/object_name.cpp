#include "e2eCrypto/object_name.h"

#include <openssl/objects.h>

std::string objectName(const ASN1_OBJECT* object) {
    const int nid = OBJ_obj2nid(object);
    const char* shortName = nid == NID_undef ? nullptr : OBJ_nid2sn(nid);
    if (shortName != nullptr) {
        return shortName;
    }
    char number[128];
    const int length = OBJ_obj2txt(number, sizeof number, object, 1);
    return length > 0 && static_cast<std::size_t>(length) < sizeof number ? std::string(number)
                                                                          : std::string();
}
