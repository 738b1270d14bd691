#pragma once

// Text comparison as Jet does it: letter case is ignored, and accented letters sort beside
// their base letter ("Äpfel" between "Apfel" and "Apfelbaum"). Shared by the collation, the
// Like matcher and anyone who must compare catalogue texts outside SQL.

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

// Orders two UTF-8 texts: negative, 0 or positive. Case variants compare equal ("zebra" ==
// "Zebra"); otherwise base letters decide first and accents only break ties ("Apfel" <
// "Äpfel" < "Apfelbaum" < "Birne"). Invalid UTF-8 bytes count as the Latin-1 characters.
int compareText(std::string_view a, std::string_view b);
int compareText(const QString& a, const QString& b);

// A byte string whose order (as unsigned bytes, shorter first on a common prefix) is the order
// of compareText: sorting many texts on their keys compares bytes instead of decoding letters.
std::string sortKey(std::string_view utf8);
// The first 16 bytes of sortKey as two numbers, zeros after a shorter key: a smaller head means
// a smaller text; equal heads leave the texts to compareText.
struct SortHead {
  uint64_t high = 0;
  uint64_t low = 0;
  friend bool operator==(const SortHead&, const SortHead&) = default;
  friend bool operator<(const SortHead& a, const SortHead& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
  }
};
SortHead sortKeyHead(std::string_view utf8);

// A compiled Jet Like pattern: "*" any run, "?" one character, "#" one digit, "[abc]",
// "[a-c]" and "[!a-c]" one character of (or not of) a list; "[*]" is a literal "*". Letters
// match without regard to case; ranges follow the order of compareText.
class LikePattern {
 public:
  // Raises rt::RaisedError 93 for a "[" without its "]".
  explicit LikePattern(const QString& pattern);
  explicit LikePattern(std::string_view utf8Pattern);

  bool matches(std::string_view utf8Value) const;
  bool matches(const QString& value) const;

 private:
  struct Element {
    enum class Kind : uint8_t { Literal, AnyOne, Digit, Star, Set };
    Kind kind = Kind::Literal;
    bool negated = false;
    char32_t ch = 0;                                    // Literal: folded character
    std::vector<char32_t> singles;                      // Set: folded characters
    std::vector<std::pair<char32_t, char32_t>> ranges;  // Set: inclusive ranges
  };
  void compile(const std::u32string& pattern);
  bool matchOne(const Element& e, char32_t folded) const;
  template <typename At>
  bool matchWith(size_t n, At at) const;
  // A match of the plain ASCII part on the value's bytes, none, or none on the bytes while a
  // letter of the value may fold to an ASCII letter.
  enum class AsciiScan { Found, Absent, Undecided };
  AsciiScan scanAsciiContains(std::string_view value) const;
  // The match on the value's letters, decoded where they are not plain ASCII.
  [[gnu::noinline]] bool matchesDecoded(std::string_view utf8Value) const;

  std::vector<Element> elements_;
  // Set for the common "*text*" with plain ASCII text (lower case): a substring search then
  // answers for values that are pure ASCII.
  std::string asciiNeedle_;
  bool asciiContains_ = false;
};

}  // namespace jet
