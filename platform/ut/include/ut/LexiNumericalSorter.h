// ut::LexiNumericalSorter: orders texts the way people read them ("item 20" before "item 100")
// by splitting each into number and text tokens, with an optional hook to rewrite the tokens.
#pragma once
/// @file
/// Ordering of texts the way people read numbers in them.

#include <boost/variant.hpp>
#include <functional>
#include <vector>

#include "OdString.h"
#include "ut/UtExport.h"

namespace ut {

/// LexiNumericalSorter: a strict weak order on texts.
///
/// Tokens. A text is split, left to right, into:
///  - numbers: a run of ASCII digits is an `int` when its value fits, else a `double`; a run of
///    digits, ".", and at least one more digit is one decimal `double` ("2.5"). Signs are not
///    part of numbers, and the "." of "1.2.3" after "1.2" is text;
///  - "/" and "-": each one a one-character text token of its own, so that a hook can see
///    fractions such as "1-1/2";
///  - any other run of characters (letters, blanks, other punctuation): one text token.
/// "HEA 100x10" gives "HEA ", 100, "x", 10; "1-1/2" gives 1, "-", 1, "/", 2.
///
/// Comparing. The hook, when set, rewrites each token list first. Then tokens compare pairwise
/// from the start: a number comes before a text; numbers compare by value (an int and a double
/// of the same value are equal; NaN comes after every other number and equals NaN); texts
/// compare by UTF-16 code units, case-sensitively. When one list is a prefix of the other, the
/// shorter comes first. Lists that compare equal ("007" and "7") are ordered by their plain
/// texts (UTF-16 code units), so that only equal texts are equivalent.
class UT_API LexiNumericalSorter {
 public:
  using Token = boost::variant<double, OdString, int>;
  using Tokens = std::vector<Token>;
  using TokenHook = std::function<void(Tokens&)>;

  LexiNumericalSorter() = default;
  explicit LexiNumericalSorter(TokenHook hook) : m_hook(std::move(hook)) {}

  /// tokenize: the tokens of `text`, without the hook; empty for the empty text.
  static Tokens tokenize(const OdString& text);
  /// tokens: the tokens of `text` after the hook.
  Tokens tokens(const OdString& text) const;

  /// isLess: true when `a` comes before `b`. Errors thrown by the hook pass to the caller.
  bool isLess(const OdString& a, const OdString& b) const;
  bool operator()(const OdString& a, const OdString& b) const { return isLess(a, b); }

  /// compareTokens: <0, 0 or >0 comparing two token lists as described above (no tie-break on
  /// the texts they came from).
  static int compareTokens(const Tokens& a, const Tokens& b);

  /// getAsDouble: the value of a number token; NaN for a text token.
  static double getAsDouble(const Token& token);
  /// isNumber / isText: the kind of a token.
  static bool isNumber(const Token& token) { return token.which() != 1; }
  static bool isText(const Token& token) { return token.which() == 1; }

 private:
  TokenHook m_hook;
};

}  // namespace ut
