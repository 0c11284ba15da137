#include "tools/fakegame/describe.h"

#include "plugins/core/le_bytes.h"
#include "plugins/core/message_header.h"
#include "plugins/core/records.h"
#include "plugins/core/text_channel.h"
#include "plugins/core/utf16.h"

#include <cinttypes>
#include <cstdio>

namespace fakegame {

namespace {

using plug::GetU16;
using plug::GetU32;
using plug::GetU64;

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::u16string Utf16At(std::span<const uint8_t> bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = GetU16(&bytes[i]);
        if (unit == 0) break;
        text += unit;
    }
    return text;
}

std::string Format(const char* format, auto... values) {
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

std::string DescribeUser(std::span<const uint8_t> p, size_t fixed) {
    if (p.size() < fixed) return "user (short)";
    std::string name;
    if (p.size() >= fixed + 4) {
        const size_t size = GetU16(&p[fixed]);
        if (p.size() >= fixed + 4 + size) {
            name = plug::Utf16ToUtf8(Utf16At(p.subspan(fixed + 4, size)));
        }
    }
    return Format("user game=%" PRIu32 " user=%" PRId32
                  " table=%u chair=%u status=%u score=%" PRId64 " name=",
                  GetU32(&p[1]), static_cast<int32_t>(GetU32(&p[5])), GetU16(&p[22]),
                  GetU16(&p[24]), p[26], static_cast<int64_t>(GetU64(&p[27]))) +
           Quoted(name);
}

std::string DescribeRoom(std::span<const uint8_t> p) {
    if (p.size() != plug::kRoomRecordSize) return "room (wrong size)";
    return Format("room table=%u chair=%u user=%" PRId32 " kind=%u server=%u type=%u rule=%" PRIu32
                  " name=",
                  GetU16(&p[0]), GetU16(&p[2]), static_cast<int32_t>(GetU32(&p[4])), GetU16(&p[16]),
                  GetU16(&p[18]), GetU16(&p[20]), GetU32(&p[24])) +
           Quoted(plug::Utf16ToUtf8(Utf16At(p.subspan(28, 64))));
}

std::string DescribeGameData(std::span<const uint8_t> p, size_t prefix) {
    if (p.size() < 4) return "data (short)";
    const uint16_t kind = GetU16(&p[0]);
    const uint16_t sub = GetU16(&p[2]);
    if (kind == 200 && sub == 0) {
        if (p.size() < prefix) return "text (shorter than the prefix)";
        const auto text = p.subspan(prefix);
        return Format("text prefix=%zu length=%zu value=", prefix, text.size()) +
               Quoted(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }
    if (kind == 200 && sub == 100 && p.size() == plug::kGameConfigSize) {
        return Format("config x=%d y=%d level=%d elapsed=%d time=%d exper=%d status=%d",
                      static_cast<int32_t>(GetU32(&p[4])), static_cast<int32_t>(GetU32(&p[8])),
                      static_cast<int32_t>(GetU32(&p[12])), static_cast<int32_t>(GetU32(&p[16])),
                      static_cast<int32_t>(GetU32(&p[20])), static_cast<int32_t>(GetU32(&p[24])),
                      static_cast<int32_t>(GetU32(&p[28])));
    }
    if (kind == 100 && sub == 101 && p.size() == plug::kGameStateSize) {
        return Format("state value=%d", static_cast<int32_t>(GetU32(&p[4])));
    }
    if (kind == 200 && sub == 102 && p.size() == plug::kExchangeScoreSize) {
        return Format("exchange chair=%u x=%" PRId64 " y=%" PRId64, GetU16(&p[4]),
                      static_cast<int64_t>(GetU64(&p[6])), static_cast<int64_t>(GetU64(&p[14])));
    }
    return Format("data kind=%u sub=%u", kind, sub);
}

}  // namespace

std::string Hex(std::span<const uint8_t> bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * bytes.size());
    for (const uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

Layout LayoutForPrefix(size_t textPrefix) {
    return textPrefix == plug::kWidePrefix ? Layout{plug::kWidePrefix, plug::kUserFixedLengthWide}
                                           : Layout{textPrefix, plug::kUserFixedLengthNarrow};
}

std::string DescribeBlock(uintptr_t tag, std::span<const uint8_t> block, const Layout& layout) {
    const auto view = plug::ParseMessage(block);
    if (!view) {
        return Format("recv malformed data=%" PRIuPTR " bytes=%zu hex=", tag, block.size()) +
               Hex(block);
    }
    std::string line = Format("recv %u,%u data=%" PRIuPTR " bytes=%zu hex=", view->code.main,
                              view->code.sub, tag, block.size()) +
                       Hex(view->payload);
    const auto p = view->payload;
    if (view->code == plug::kUser) {
        line += "\n  " + DescribeUser(p, layout.userFixedLength);
    } else if (view->code == plug::kRoom) {
        line += "\n  " + DescribeRoom(p);
    } else if (view->code == plug::kGameData) {
        line += "\n  " + DescribeGameData(p, layout.textPrefix);
    } else if (view->code == plug::kUserScore && p.size() == plug::kUserScoreSize) {
        line += Format("\n  score user=%" PRId32 " score=%" PRId64,
                       static_cast<int32_t>(GetU32(&p[0])), static_cast<int64_t>(GetU64(&p[4])));
    } else if (view->code == plug::kUserStatus && p.size() == plug::kUserStatusSize) {
        line += Format("\n  status user=%" PRId32 " table=%u chair=%u status=%u",
                       static_cast<int32_t>(GetU32(&p[0])), GetU16(&p[4]), GetU16(&p[6]), p[8]);
    }
    return line;
}

}  // namespace fakegame
