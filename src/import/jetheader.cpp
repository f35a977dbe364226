#include "import/jetheader.h"

namespace vela {

JetHeader JetHeader::read(const QByteArray& head) {
    JetHeader h;
    if (head.size() < 0x15 || head.left(4) != QByteArray("\x00\x01\x00\x00", 4))
        return h;
    const QByteArray sig = head.mid(4, 16);
    const bool jet = sig == QByteArray("Standard Jet DB\0", 16);
    const bool ace = sig == QByteArray("Standard ACE DB\0", 16);
    if (!jet && !ace)
        return h;
    const int version = static_cast<unsigned char>(head.at(0x14));
    if (version > 6 || (jet && version > 1) || (ace && version < 2))
        return h;
    h.isJet = true;
    h.version = version;
    h.pageSize = version == 0 ? 2048 : 4096;
    return h;
}

int JetHeader::jet3CodePage(int sortOrder) {
    switch (sortOrder) {
        case 1029:  // Czech
        case 1038:  // Hungarian
        case 1045:  // Polish
        case 1048:  // Romanian
        case 1050:  // Croatian
        case 1051:  // Slovak
        case 1052:  // Albanian
        case 1060:  // Slovenian
            return 1250;
        case 1049:  // Russian
        case 1058:  // Ukrainian
        case 1026:  // Bulgarian
            return 1251;
        case 1032:  // Greek
            return 1253;
        case 1055:  // Turkish
            return 1254;
        default:
            return 1252;
    }
}

}  // namespace vela
