#include "platform/steam_vdf.h"

#include <optional>

namespace kestrune::platform {
namespace {

constexpr size_t kMaxValues = 4096;
constexpr int kMaxDepth = 64;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

struct Token {
  enum Kind { kText, kOpen, kClose } kind;
  std::string text;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::optional<Token> Next() {
    for (;;) {
      while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
      if (pos_ + 1 < text_.size() && text_[pos_] == '/' && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        continue;
      }
      break;
    }
    if (pos_ >= text_.size()) return std::nullopt;
    char c = text_[pos_];
    if (c == '{' || c == '}') {
      ++pos_;
      return Token{c == '{' ? Token::kOpen : Token::kClose, ""};
    }
    std::string out;
    if (c == '"') {
      ++pos_;
      while (pos_ < text_.size() && text_[pos_] != '"') {
        if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) {
          char e = text_[++pos_];
          out.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e);
        } else {
          out.push_back(text_[pos_]);
        }
        ++pos_;
      }
      if (pos_ >= text_.size()) return std::nullopt;  // unclosed quote
      ++pos_;
      return Token{Token::kText, out};
    }
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '{' &&
           text_[pos_] != '}' && text_[pos_] != '"')
      out.push_back(text_[pos_++]);
    return Token{Token::kText, out};
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  std::string_view text_;
  size_t pos_ = 0;
};

// Walks key/value pairs; `visit(parentKey, key, value)` for each text value.
template <typename Visit>
void Walk(std::string_view text, Visit visit) {
  Lexer lexer(text);
  std::vector<std::string> parents;
  for (;;) {
    std::optional<Token> key = lexer.Next();
    if (!key) return;
    if (key->kind == Token::kClose) {
      if (parents.empty()) return;
      parents.pop_back();
      continue;
    }
    if (key->kind == Token::kOpen) return;  // a block without a key
    std::optional<Token> value = lexer.Next();
    if (!value || value->kind == Token::kClose) return;
    if (value->kind == Token::kOpen) {
      if (static_cast<int>(parents.size()) >= kMaxDepth) return;
      parents.push_back(key->text);
      continue;
    }
    if (!visit(parents.empty() ? std::string() : parents.back(), key->text, value->text)) return;
  }
}

bool IsNumber(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::vector<std::string> VdfValues(std::string_view text, std::string_view key) {
  std::vector<std::string> out;
  Walk(text, [&](const std::string&, const std::string& k, const std::string& v) {
    if (EqualsNoCase(k, key)) out.push_back(v);
    return out.size() < kMaxValues;
  });
  return out;
}

std::vector<std::string> SteamLibraryFolders(std::string_view text) {
  std::vector<std::string> out;
  Walk(text, [&](const std::string& parent, const std::string& k, const std::string& v) {
    // New layout: "path" inside a numbered block; old: a number directly
    // inside "LibraryFolders" names the folder.
    if (EqualsNoCase(k, "path") && IsNumber(parent)) out.push_back(v);
    if (IsNumber(k) && EqualsNoCase(parent, "libraryfolders") && !v.empty()) out.push_back(v);
    return out.size() < kMaxValues;
  });
  return out;
}

}  // namespace kestrune::platform
