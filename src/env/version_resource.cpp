// Version resource reader: locates VS_VERSION_INFO in PE resource trees and
// in our ELF section, parses it defensively (every length is checked against
// its container), and answers lookups the way the system's version API does.
#include "env/version_resource.h"

#include <cstdio>

#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_reader.h"
#include "platform/utf8.h"

namespace kestrune {
namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr size_t kFixedInfoSize = 52;
constexpr uint32_t kRtVersion = 16;
constexpr uint64_t kMaxResourceBytes = 1u << 20;  // the structure's lengths are 16-bit anyway
constexpr int kMaxDepth = 16;

uint16_t Le16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}
uint32_t Le32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(Le16(b, at)) | (static_cast<uint32_t>(Le16(b, at + 2)) << 16);
}

// Reads integers of either byte order from a source (ELF may be big-endian).
class Reader {
 public:
  Reader(const ByteSource& source, bool bigEndian) : source_(source), big_(bigEndian) {}
  std::optional<uint64_t> Get(uint64_t offset, int bytes) const {
    std::string raw;
    if (!source_.Read(offset, static_cast<size_t>(bytes), &raw)) return std::nullopt;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      int index = big_ ? i : bytes - 1 - i;
      v = (v << 8) | static_cast<unsigned char>(raw[static_cast<size_t>(index)]);
    }
    return v;
  }

 private:
  const ByteSource& source_;
  bool big_;
};

size_t Align4(size_t n) {
  return (n + 3) & ~size_t{3};
}

// ---- PE -----------------------------------------------------------------

struct PeSection {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

std::optional<uint64_t> RvaToOffset(const std::vector<PeSection>& sections, uint32_t rva,
                                    uint32_t length) {
  for (const PeSection& s : sections) {
    uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
      uint64_t delta = rva - s.virtualAddress;
      if (delta + length > s.rawSize) return std::nullopt;  // not backed by file data
      return uint64_t{s.rawOffset} + delta;
    }
  }
  return std::nullopt;
}

// One level of the resource tree: the entry with `id` (or, when none has it
// and `firstIfMissing`, the first entry), returning its offset field.
constexpr uint32_t kEnglishUnitedStates = 0x0409;

std::optional<uint32_t> FindResourceEntry(const Reader& r, uint64_t dirOffset, uint32_t id,
                                          bool firstIfMissing) {
  auto named = r.Get(dirOffset + 12, 2);
  auto ids = r.Get(dirOffset + 14, 2);
  if (!named || !ids) return std::nullopt;
  uint64_t count = *named + *ids;
  std::optional<uint32_t> first;
  for (uint64_t i = 0; i < count; ++i) {
    auto name = r.Get(dirOffset + 16 + i * 8, 4);
    auto data = r.Get(dirOffset + 20 + i * 8, 4);
    if (!name || !data) return std::nullopt;
    if (!first) first = static_cast<uint32_t>(*data);
    if ((*name & 0x80000000u) == 0 && *name == id) return static_cast<uint32_t>(*data);
  }
  return firstIfMissing ? first : std::nullopt;
}

std::optional<std::string> ExtractFromPe(const ByteSource& src) {
  Reader r(src, false);
  auto peOffset = r.Get(0x3C, 4);
  if (!peOffset) return std::nullopt;
  std::string sig;
  if (!src.Read(*peOffset, 4, &sig) || sig != std::string("PE\0\0", 4)) return std::nullopt;
  const uint64_t coff = *peOffset + 4;
  auto sectionCount = r.Get(coff + 2, 2);
  auto optionalSize = r.Get(coff + 16, 2);
  if (!sectionCount || !optionalSize) return std::nullopt;
  const uint64_t opt = coff + 20;
  auto magic = r.Get(opt, 2);
  if (!magic || (*magic != 0x10b && *magic != 0x20b)) return std::nullopt;
  const uint64_t countField = *magic == 0x10b ? 92 : 108;
  const uint64_t dirs = *magic == 0x10b ? 96 : 112;
  auto dirCount = r.Get(opt + countField, 4);
  if (!dirCount || *dirCount < 3 || dirs + 3 * 8 > *optionalSize) return std::nullopt;
  auto resourceRva = r.Get(opt + dirs + 2 * 8, 4);
  auto resourceSize = r.Get(opt + dirs + 2 * 8 + 4, 4);
  if (!resourceRva || !resourceSize || *resourceRva == 0) return std::nullopt;

  std::vector<PeSection> sections;
  const uint64_t table = opt + *optionalSize;
  for (uint64_t i = 0; i < *sectionCount; ++i) {
    const uint64_t s = table + i * 40;
    auto vsize = r.Get(s + 8, 4), va = r.Get(s + 12, 4), rsize = r.Get(s + 16, 4),
         roff = r.Get(s + 20, 4);
    if (!vsize || !va || !rsize || !roff) return std::nullopt;
    sections.push_back({static_cast<uint32_t>(*va), static_cast<uint32_t>(*vsize),
                        static_cast<uint32_t>(*rsize), static_cast<uint32_t>(*roff)});
  }
  auto base = RvaToOffset(sections, static_cast<uint32_t>(*resourceRva), 16);
  if (!base) return std::nullopt;

  // Type RT_VERSION, then name 1 (or the first), then the language the
  // system's version call takes from a file with several: English (United
  // States) when present, otherwise the first.
  std::optional<uint32_t> entry = FindResourceEntry(r, *base, kRtVersion, false);
  for (int level = 0; level < 2 && entry; ++level) {
    if ((*entry & 0x80000000u) == 0) return std::nullopt;
    entry = FindResourceEntry(r, *base + (*entry & 0x7FFFFFFFu),
                              level == 0 ? 1 : kEnglishUnitedStates, true);
  }
  if (!entry || (*entry & 0x80000000u) != 0) return std::nullopt;
  auto dataRva = r.Get(*base + *entry, 4);
  auto dataSize = r.Get(*base + *entry + 4, 4);
  if (!dataRva || !dataSize || *dataSize == 0 || *dataSize > kMaxResourceBytes) return std::nullopt;
  auto dataOffset =
      RvaToOffset(sections, static_cast<uint32_t>(*dataRva), static_cast<uint32_t>(*dataSize));
  std::string blob;
  if (!dataOffset || !src.Read(*dataOffset, static_cast<size_t>(*dataSize), &blob))
    return std::nullopt;
  return blob;
}

// ---- ELF ----------------------------------------------------------------

std::optional<std::string> ExtractFromElf(const ByteSource& src) {
  std::string ident;
  if (!src.Read(0, 16, &ident) || ident.compare(0, 4,
                                                "\x7f"
                                                "ELF") != 0)
    return std::nullopt;
  const bool is64 = ident[4] == 2;
  if (ident[4] != 1 && ident[4] != 2) return std::nullopt;
  if (ident[5] != 1 && ident[5] != 2) return std::nullopt;
  Reader r(src, ident[5] == 2);
  const int word = is64 ? 8 : 4;
  auto shoff = r.Get(is64 ? 0x28 : 0x20, word);
  auto shentsize = r.Get(is64 ? 0x3A : 0x2E, 2);
  auto shnum = r.Get(is64 ? 0x3C : 0x30, 2);
  auto shstrndx = r.Get(is64 ? 0x3E : 0x32, 2);
  if (!shoff || !shentsize || !shnum || !shstrndx || *shoff == 0) return std::nullopt;
  if (*shentsize < static_cast<uint64_t>(is64 ? 64 : 40)) return std::nullopt;
  const uint64_t nameOff = 0, typeOff = 4, offsetOff = is64 ? 24 : 16, sizeOff = is64 ? 32 : 20;
  auto header = [&](uint64_t i) { return *shoff + i * *shentsize; };
  uint64_t count = *shnum;
  uint64_t strIndex = *shstrndx;
  // Extended numbering keeps the real figures in section 0.
  if (count == 0) count = r.Get(header(0) + sizeOff, word).value_or(0);
  if (strIndex == 0xFFFF) strIndex = r.Get(header(0) + (is64 ? 40 : 24), 4).value_or(0);
  if (count == 0 || count > 65536 || strIndex >= count) return std::nullopt;

  auto strOffset = r.Get(header(strIndex) + offsetOff, word);
  auto strSize = r.Get(header(strIndex) + sizeOff, word);
  if (!strOffset || !strSize || *strSize > kMaxResourceBytes * 16) return std::nullopt;
  std::string names;
  if (!src.Read(*strOffset, static_cast<size_t>(*strSize), &names)) return std::nullopt;
  const std::string wanted = kVersionSectionName;
  for (uint64_t i = 0; i < count; ++i) {
    auto name = r.Get(header(i) + nameOff, 4);
    auto type = r.Get(header(i) + typeOff, 4);
    if (!name || !type) return std::nullopt;
    if (*name >= names.size() || *type == 8 /* SHT_NOBITS */) continue;
    size_t end = names.find('\0', static_cast<size_t>(*name));
    if (end == std::string::npos) continue;
    if (names.compare(static_cast<size_t>(*name), end - static_cast<size_t>(*name), wanted) != 0)
      continue;
    auto offset = r.Get(header(i) + offsetOff, word);
    auto size = r.Get(header(i) + sizeOff, word);
    if (!offset || !size || *size == 0 || *size > kMaxResourceBytes) return std::nullopt;
    std::string blob;
    if (!src.Read(*offset, static_cast<size_t>(*size), &blob)) return std::nullopt;
    return blob;
  }
  return std::nullopt;
}

// ---- the structure -------------------------------------------------------

// Parses one block at `at` that must end by `limit`; returns its end.
std::optional<size_t> ParseBlock(std::string_view b, size_t at, size_t limit, int depth,
                                 VersionBlock* out) {
  if (depth > kMaxDepth || at + 6 > limit) return std::nullopt;
  const size_t length = Le16(b, at);
  const size_t valueLength = Le16(b, at + 2);
  out->type = Le16(b, at + 4);
  if (length < 6 || at + length > limit) return std::nullopt;
  const size_t end = at + length;
  size_t pos = at + 6;
  size_t keyStart = pos;
  while (pos + 2 <= end && Le16(b, pos) != 0) pos += 2;
  if (pos + 2 > end) return std::nullopt;  // key without its terminator
  out->key = Utf16LeToUtf8(b.substr(keyStart, pos - keyStart));
  pos = Align4(pos + 2 - at) + at;
  // Text values count characters, binary ones bytes; either is cut to the block.
  size_t valueBytes = out->type == 1 ? valueLength * 2 : valueLength;
  if (pos > end) pos = end;
  if (valueBytes > end - pos) valueBytes = end - pos;
  out->value = std::string(b.substr(pos, valueBytes));
  pos = at + Align4(pos + valueBytes - at);
  while (pos + 6 <= end) {
    VersionBlock child;
    std::optional<size_t> childEnd = ParseBlock(b, pos, end, depth + 1, &child);
    if (!childEnd) break;
    out->children.push_back(std::move(child));
    pos = at + Align4(*childEnd - at);
  }
  return end;
}

}  // namespace

bool MemorySource::Read(uint64_t offset, size_t length, std::string* out) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
  out->assign(bytes_.substr(static_cast<size_t>(offset), length));
  return true;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i + 2 <= bytes.size(); i += 2) {
    uint32_t unit = Le16(bytes, i);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 4 <= bytes.size()) {
      uint32_t low = Le16(bytes, i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;  // a lone surrogate
    AppendUtf8(out, unit);
  }
  return out;
}

std::optional<std::string> ExtractVersionResource(const ByteSource& image) {
  std::string magic;
  if (!image.Read(0, 4, &magic)) return std::nullopt;
  if (magic.compare(0, 2, "MZ") == 0) return ExtractFromPe(image);
  if (magic ==
      "\x7f"
      "ELF")
    return ExtractFromElf(image);
  return std::nullopt;
}

std::optional<VersionBlock> ParseVersionResource(std::string_view bytes) {
  VersionBlock root;
  if (!ParseBlock(bytes, 0, bytes.size(), 0, &root)) return std::nullopt;
  return root;
}

const VersionBlock* FindVersionBlock(const VersionBlock& root, std::string_view path) {
  const VersionBlock* node = &root;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('\\', pos);
    if (slash == std::string_view::npos) slash = path.size();
    std::string_view part = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    const VersionBlock* next = nullptr;
    for (const VersionBlock& child : node->children) {
      if (AsciiEqualsNoCase(child.key, part)) {
        next = &child;
        break;
      }
    }
    if (!next) return nullptr;
    node = next;
  }
  return node;
}

std::optional<std::array<uint16_t, 4>> FixedFileVersion(const VersionBlock& root) {
  if (root.value.size() < kFixedInfoSize || Le32(root.value, 0) != kFixedSignature)
    return std::nullopt;
  uint32_t ms = Le32(root.value, 8);
  uint32_t ls = Le32(root.value, 12);
  return std::array<uint16_t, 4>{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms),
                                 static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls)};
}

std::string VersionStringFromResource(std::string_view resource, const std::string& entryName) {
  std::string result;
  std::optional<VersionBlock> root;
  if (!resource.empty()) root = ParseVersionResource(resource);
  if (root) {
    std::string entryPath = entryName;
    const VersionBlock* translation = FindVersionBlock(*root, "\\VarFileInfo\\Translation");
    if (translation && translation->value.size() >= 4) {
      char path[64];
      std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\", Le16(translation->value, 0),
                    Le16(translation->value, 2));
      entryPath = path + entryName;
    }
    if (const VersionBlock* entry = FindVersionBlock(*root, entryPath)) {
      // A text entry holds UTF-16; a binary one is taken as the same bytes.
      result = Utf16LeToUtf8(entry->value);
    }
  }
  if (entryName == "FileVersion" && result.empty() && root) {
    if (std::optional<std::array<uint16_t, 4>> v = FixedFileVersion(*root)) {
      char text[32];
      std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned{(*v)[0]}, unsigned{(*v)[1]},
                    unsigned{(*v)[2]}, unsigned{(*v)[3]});
      result = text;
    }
  }
  return result;
}

namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(const platform::FileReader& file) : file_(file) {}
  uint64_t Size() const override { return file_.Size(); }
  bool Read(uint64_t offset, size_t length, std::string* out) const override {
    return file_.ReadAt(offset, length, out);
  }

 private:
  const platform::FileReader& file_;
};

}  // namespace

std::string GetFileVersionString(const std::string& path, const std::string& entryName) {
  if (path.empty()) return "";
  platform::FileReader file;
  std::string error;
  if (!file.Open(path, &error)) {
    DebugLogF("GetFileVersionString: cannot open %s (%s)", path.c_str(), error.c_str());
    return "";
  }
  std::optional<std::string> resource = ExtractVersionResource(FileSource(file));
  if (!resource) {
    DebugLogF("GetFileVersionString: %s has no version resource", path.c_str());
    return "";
  }
  return VersionStringFromResource(*resource, entryName);
}

}  // namespace kestrune
