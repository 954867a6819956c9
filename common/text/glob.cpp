#include "common/text/glob.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

namespace velqo {

namespace {

enum class Kind { kByte, kOne, kStar, kDoubleStar, kSet };

struct Token {
  Kind kind = Kind::kByte;
  unsigned char byte = 0;
  std::bitset<256> set;  // kSet: the bytes it matches ("/" never among them)
};

using Bytes = std::bitset<256>;

unsigned char At(std::string_view p, std::size_t i) { return static_cast<unsigned char>(p[i]); }

bool InNamedClass(std::string_view name, unsigned char c) {
  const bool upper = c >= 'A' && c <= 'Z';
  const bool lower = c >= 'a' && c <= 'z';
  const bool digit = c >= '0' && c <= '9';
  const bool graph = c > 0x20 && c < 0x7f;
  if (name == "alpha") return upper || lower;
  if (name == "digit") return digit;
  if (name == "alnum") return upper || lower || digit;
  if (name == "upper") return upper;
  if (name == "lower") return lower;
  if (name == "xdigit") return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  if (name == "space") return c == ' ' || (c >= '\t' && c <= '\r');
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "punct") return graph && !upper && !lower && !digit;
  if (name == "graph") return graph;
  if (name == "print") return graph || c == ' ';
  if (name == "cntrl") return c < 0x20 || c == 0x7f;
  return false;
}

// "[:name:]" at p[i]: adds the class and moves i past it; false when the
// text there is not a class of that form.
bool TakeNamedClass(std::string_view p, std::size_t* i, Bytes* set) {
  if (*i + 1 >= p.size() || p[*i] != '[' || p[*i + 1] != ':') return false;
  const std::size_t end = p.find(":]", *i + 2);
  if (end == std::string_view::npos) return false;
  const std::string_view name = p.substr(*i + 2, end - *i - 2);
  for (int c = 0; c < 256; ++c) {
    if (InNamedClass(name, static_cast<unsigned char>(c))) set->set(static_cast<std::size_t>(c));
  }
  *i = end + 2;
  return true;
}

// One member byte at p[i] (an escaped one too); moves i past it.
unsigned char TakeMemberByte(std::string_view p, std::size_t* i) {
  if (p[*i] == '\\' && *i + 1 < p.size()) ++*i;
  return At(p, (*i)++);
}

// The set that starts with "[" at p[start]; false when no "]" closes it.
bool TakeSet(std::string_view p, std::size_t start, std::size_t* after, Bytes* set) {
  std::size_t i = start + 1;
  const bool negated = i < p.size() && (p[i] == '!' || p[i] == '^');
  if (negated) ++i;
  bool first = true;
  while (i < p.size() && (first || p[i] != ']')) {
    first = false;
    if (TakeNamedClass(p, &i, set)) continue;
    const unsigned char low = TakeMemberByte(p, &i);
    if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
      ++i;
      const unsigned char high = TakeMemberByte(p, &i);
      for (unsigned c = low; c <= high; ++c) set->set(c);
    } else {
      set->set(low);
    }
  }
  if (i >= p.size()) return false;
  if (negated) set->flip();
  set->reset('/');
  *after = i + 1;
  return true;
}

std::vector<Token> Tokens(std::string_view p) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < p.size();) {
    Token t;
    if (p[i] == '*') {
      const std::size_t run = p.find_first_not_of('*', i);
      const std::size_t end = run == std::string_view::npos ? p.size() : run;
      t.kind = end - i >= 2 ? Kind::kDoubleStar : Kind::kStar;
      i = end;
    } else if (p[i] == '?') {
      t.kind = Kind::kOne;
      ++i;
    } else if (p[i] == '[' && TakeSet(p, i, &i, &t.set)) {
      t.kind = Kind::kSet;
    } else {
      if (p[i] == '\\' && i + 1 < p.size()) ++i;
      t.byte = At(p, i++);
    }
    tokens.push_back(t);
  }
  return tokens;
}

bool MatchesOne(const Token& t, unsigned char c) {
  switch (t.kind) {
    case Kind::kByte:
      return c == t.byte;
    case Kind::kOne:
      return c != '/';
    case Kind::kSet:
      return t.set.test(c);
    case Kind::kStar:
    case Kind::kDoubleStar:
      break;
  }
  return false;
}

}  // namespace

bool MatchesGlob(std::string_view pattern, std::string_view text) {
  // reach[j]: the tokens so far can match the first j bytes of text.
  const std::size_t n = text.size();
  std::vector<char> reach(n + 1, 0);
  std::vector<char> next(n + 1, 0);
  reach[0] = 1;
  for (const Token& t : Tokens(pattern)) {
    std::fill(next.begin(), next.end(), 0);
    if (t.kind == Kind::kStar || t.kind == Kind::kDoubleStar) {
      bool open = false;
      for (std::size_t j = 0; j <= n; ++j) {
        open = open || reach[j] != 0;
        next[j] = open ? 1 : 0;
        if (j < n && text[j] == '/' && t.kind == Kind::kStar) open = false;
      }
    } else {
      for (std::size_t j = 0; j < n; ++j) {
        if (reach[j] != 0 && MatchesOne(t, static_cast<unsigned char>(text[j]))) next[j + 1] = 1;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

}  // namespace velqo
