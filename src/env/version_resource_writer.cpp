// VS_VERSION_INFO writer: blocks of {length, value length, type, key, value,
// children}, each part aligned to four bytes from the block's start.
#include "env/version_resource_writer.h"

#include "platform/utf8.h"

namespace kestrune {
namespace {

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Pad4(std::string& out) {
  while (out.size() % 4 != 0) out.push_back('\0');
}

// `valueLength` is the structure's own count: characters for text, bytes otherwise.
std::string Block(std::string_view key, uint16_t type, const std::string& value,
                  uint16_t valueLength, const std::vector<std::string>& children) {
  std::string b(6, '\0');
  b += Utf8ToUtf16Le(key);
  Put16(b, 0);
  Pad4(b);
  b += value;
  for (const std::string& child : children) {
    Pad4(b);
    b += child;
  }
  std::string header;
  Put16(header, static_cast<uint32_t>(b.size()));
  Put16(header, valueLength);
  Put16(header, type);
  b.replace(0, 6, header);
  return b;
}

std::string TextBlock(std::string_view key, std::string_view text) {
  std::string value = Utf8ToUtf16Le(text);
  Put16(value, 0);
  return Block(key, 1, value, static_cast<uint16_t>(value.size() / 2), {});
}

uint32_t Hi(const std::array<uint16_t, 4>& v) {
  return (uint32_t{v[0]} << 16) | v[1];
}
uint32_t Lo(const std::array<uint16_t, 4>& v) {
  return (uint32_t{v[2]} << 16) | v[3];
}

}  // namespace

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  for (char16_t unit : Utf8ToUtf16(text)) Put16(out, unit);
  return out;
}

std::optional<std::array<uint16_t, 4>> ParseVersionNumber(std::string_view text) {
  std::array<uint16_t, 4> parts{};
  size_t index = 0;
  size_t pos = 0;
  while (true) {
    if (index == 4) return std::nullopt;
    size_t dot = text.find('.', pos);
    std::string_view part = text.substr(pos, dot == std::string_view::npos ? text.npos : dot - pos);
    if (part.empty() || part.size() > 5) return std::nullopt;
    uint32_t value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value > 0xFFFF) return std::nullopt;
    parts[index++] = static_cast<uint16_t>(value);
    if (dot == std::string_view::npos) break;
    pos = dot + 1;
  }
  return parts;
}

std::string BuildVersionResource(const VersionResourceDesc& desc) {
  std::string fixed;
  if (desc.withFixedInfo) {
    Put32(fixed, 0xFEEF04BDu);  // signature
    Put32(fixed, 0x00010000u);  // structure version
    Put32(fixed, Hi(desc.fileVersion));
    Put32(fixed, Lo(desc.fileVersion));
    Put32(fixed, Hi(desc.productVersion));
    Put32(fixed, Lo(desc.productVersion));
    Put32(fixed, 0x3F);        // flags mask
    Put32(fixed, 0);           // flags
    Put32(fixed, 0x00040004);  // NT, 32-bit Windows
    Put32(fixed, desc.fileType);
    Put32(fixed, 0);  // subtype
    Put32(fixed, 0);  // date
    Put32(fixed, 0);
  }
  std::vector<std::string> children;
  if (desc.withStringTable) {
    std::vector<std::string> strings;
    for (const auto& [name, text] : desc.strings) strings.push_back(TextBlock(name, text));
    char tableKey[9];
    static const char kHex[] = "0123456789abcdef";
    uint32_t code = (uint32_t{desc.language} << 16) | desc.codePage;
    for (int i = 0; i < 8; ++i) tableKey[i] = kHex[(code >> (28 - 4 * i)) & 0xF];
    tableKey[8] = '\0';
    children.push_back(Block("StringFileInfo", 1, "", 0, {Block(tableKey, 1, "", 0, strings)}));
  }
  if (desc.withTranslation) {
    std::string translation;
    Put16(translation, desc.language);
    Put16(translation, desc.codePage);
    children.push_back(
        Block("VarFileInfo", 1, "", 0, {Block("Translation", 0, translation, 4, {})}));
  }
  return Block("VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()), children);
}

}  // namespace kestrune
