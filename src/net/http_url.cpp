// Address cracking, RFC 3986 resolution and request-target escaping.
#include "net/http_url.h"

#include <cctype>

#include "platform/ascii.h"

namespace kestrune {
namespace {

bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool ValidHostName(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  for (char c : host) {
    if (!IsAlpha(c) && !IsDigit(c) && c != '-' && c != '.' && c != '_') return false;
  }
  return true;
}

bool ValidIpv6Literal(std::string_view host) {
  if (host.empty() || host.size() > 45) return false;
  for (char c : host) {
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  }
  return true;
}

// The parts of an RFC 3986 reference; `has*` tell an empty part from an absent one.
struct UriParts {
  std::string scheme, authority, path, query, fragment;
  bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
};

UriParts SplitUri(std::string_view text) {
  UriParts parts;
  if (HasScheme(text)) {
    size_t colon = text.find(':');
    parts.scheme = AsciiLowerCopy(text.substr(0, colon));
    parts.hasScheme = true;
    text.remove_prefix(colon + 1);
  }
  if (StartsWith(text, "//")) {
    text.remove_prefix(2);
    size_t end = text.find_first_of("/?#");
    if (end == std::string_view::npos) end = text.size();
    parts.authority = std::string(text.substr(0, end));
    parts.hasAuthority = true;
    text.remove_prefix(end);
  }
  size_t hash = text.find('#');
  if (hash != std::string_view::npos) {
    parts.fragment = std::string(text.substr(hash + 1));
    parts.hasFragment = true;
    text = text.substr(0, hash);
  }
  size_t question = text.find('?');
  if (question != std::string_view::npos) {
    parts.query = std::string(text.substr(question + 1));
    parts.hasQuery = true;
    text = text.substr(0, question);
  }
  parts.path = std::string(text);
  return parts;
}

// RFC 3986 section 5.2.4.
std::string RemoveDotSegments(std::string_view path) {
  std::string input(path);
  std::string output;
  auto dropLastSegment = [&output] {
    size_t last = output.rfind('/');
    output.erase(last == std::string::npos ? 0 : last);
  };
  while (!input.empty()) {
    if (StartsWith(input, "../")) {
      input.erase(0, 3);
    } else if (StartsWith(input, "./") || StartsWith(input, "/./")) {
      input.erase(0, 2);
    } else if (input == "/.") {
      input = "/";
    } else if (StartsWith(input, "/../")) {
      input.erase(0, 3);
      dropLastSegment();
    } else if (input == "/..") {
      input = "/";
      dropLastSegment();
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      if (next == std::string::npos) next = input.size();
      output.append(input, 0, next);
      input.erase(0, next);
    }
  }
  return output;
}

std::string MergePaths(const UriParts& base, const std::string& referencePath) {
  if (base.hasAuthority && base.path.empty()) return "/" + referencePath;
  size_t slash = base.path.rfind('/');
  if (slash == std::string::npos) return referencePath;
  return base.path.substr(0, slash + 1) + referencePath;
}

std::string Recompose(const UriParts& parts) {
  std::string out;
  if (parts.hasScheme) out += parts.scheme + ":";
  if (parts.hasAuthority) out += "//" + parts.authority;
  out += parts.path;
  if (parts.hasQuery) out += "?" + parts.query;
  if (parts.hasFragment) out += "#" + parts.fragment;
  return out;
}

std::string Escape(std::string_view text, std::string_view alsoEscape) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    bool unsafe = c <= 0x20 || c >= 0x7F ||
                  std::string_view("\"<>\\^`{|}").find(ch) != std::string_view::npos;
    if (unsafe || alsoEscape.find(ch) != std::string_view::npos) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace

bool HasScheme(std::string_view text) {
  if (text.empty() || !IsAlpha(text[0])) return false;
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == ':') return true;
    if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

std::optional<CrackedUrl> CrackUrl(std::string_view url) {
  CrackedUrl cracked;
  std::string lower = AsciiLowerCopy(url.substr(0, 8));
  if (StartsWith(lower, "http://")) {
    url.remove_prefix(7);
  } else if (StartsWith(lower, "https://")) {
    url.remove_prefix(8);
    cracked.secure = true;
  } else {
    return std::nullopt;
  }
  size_t end = url.find_first_of("/?#");
  if (end == std::string_view::npos) end = url.size();
  std::string_view authority = url.substr(0, end);
  std::string_view rest = url.substr(end);

  // User name and password are not part of what we send; drop them.
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  std::string_view host;
  std::string_view port;
  if (StartsWith(authority, "[")) {
    size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return std::nullopt;
      port = after.substr(1);
    }
    if (!ValidIpv6Literal(host)) return std::nullopt;
  } else {
    size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    if (!ValidHostName(host)) return std::nullopt;
  }
  cracked.host = std::string(host);
  cracked.port = cracked.secure ? 443 : 80;
  if (!port.empty()) {
    if (port.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : port) {
      if (!IsDigit(c)) return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    cracked.port = static_cast<uint16_t>(value);
  }
  cracked.target = EscapeUnsafe(rest);
  if (cracked.target.empty() || cracked.target[0] != '/') cracked.target.insert(0, "/");
  return cracked;
}

std::string CombineUrl(std::string_view base, std::string_view reference) {
  UriParts ref = SplitUri(reference);
  if (ref.hasScheme) {
    ref.path = RemoveDotSegments(ref.path);
    return Recompose(ref);
  }
  UriParts baseParts = SplitUri(base);
  UriParts target;
  target.scheme = baseParts.scheme;
  target.hasScheme = baseParts.hasScheme;
  if (ref.hasAuthority) {
    target.authority = ref.authority;
    target.hasAuthority = true;
    target.path = RemoveDotSegments(ref.path);
    target.query = ref.query;
    target.hasQuery = ref.hasQuery;
  } else {
    target.authority = baseParts.authority;
    target.hasAuthority = baseParts.hasAuthority;
    if (ref.path.empty()) {
      target.path = baseParts.path;
      target.query = ref.hasQuery ? ref.query : baseParts.query;
      target.hasQuery = ref.hasQuery || baseParts.hasQuery;
    } else {
      target.path = ref.path[0] == '/' ? RemoveDotSegments(ref.path)
                                       : RemoveDotSegments(MergePaths(baseParts, ref.path));
      target.query = ref.query;
      target.hasQuery = ref.hasQuery;
    }
  }
  target.fragment = ref.fragment;
  target.hasFragment = ref.hasFragment;
  return Recompose(target);
}

std::string ResolveLocation(std::string_view base, std::string_view location) {
  // An absolute address is followed as it is; whether its scheme may be
  // fetched is decided when the hop is sent.
  if (HasScheme(location)) return std::string(location);
  if (StartsWith(location, "../") || StartsWith(location, "./") || StartsWith(location, "/") ||
      location.find('/') == std::string_view::npos) {
    return CombineUrl(base, location);
  }
  return CombineUrl(base, "/" + std::string(location));
}

std::string EscapeUnsafe(std::string_view text) {
  return Escape(text, "");
}

std::string EscapeQueryValue(std::string_view text) {
  return Escape(text, "%&#+=");
}

}  // namespace kestrune
