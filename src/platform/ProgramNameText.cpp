#include "platform/ProgramNameText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

#include "model/DataConver.h"

namespace pavo {

namespace {

constexpr char kCodec[] = "GBK";

bool IsLeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Without the code page: ASCII as is, one replacement character per double-byte character (or per
// stray byte).
QString DecodeWithoutCodec(const std::string& bytes) {
    QString text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b < 0x80) {
            text += QChar(b);
            continue;
        }
        if (IsLeadByte(b) && i + 1 < bytes.size() && IsTrailByte(static_cast<uint8_t>(bytes[i + 1]))) ++i;
        text += QChar(QChar::ReplacementCharacter);
    }
    return text;
}

}  // namespace

bool HaveGbkCodec() {
    return QStringDecoder(kCodec).isValid();
}

QString ProgramNameText(const uint8_t* field, size_t n) {
    const std::string bytes = TextFromBytes(field, n);
    QStringDecoder decoder(kCodec);
    if (!decoder.isValid()) return DecodeWithoutCodec(bytes);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void ProgramNameToBytes(uint8_t* field, size_t n, const QString& name) {
    std::string bytes;
    QStringEncoder encoder(kCodec);
    // Character by character, so that a name too long for the field ends on a whole character.
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype len = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QStringView c = QStringView(name).mid(i, len);
        i += len;
        QByteArray encoded;
        if (c.size() == 1 && c.at(0).unicode() < 0x80)
            encoded = QByteArray(1, static_cast<char>(c.at(0).unicode()));
        else if (encoder.isValid() && c.at(0) != QChar(QChar::ReplacementCharacter))
            encoded = encoder.encode(c);
        if (encoder.hasError()) {  // no such character in the code page: left out
            encoder.resetState();
            continue;
        }
        if (bytes.size() + static_cast<size_t>(encoded.size()) > n) break;
        bytes.append(encoded.constData(), static_cast<size_t>(encoded.size()));
    }
    BytesFromText(field, n, bytes);
}

}  // namespace pavo
