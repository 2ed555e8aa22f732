// The script lexer.
#include "script_engine/lexer.h"

#include <cmath>
#include <cstdlib>

namespace script {

namespace {

struct Keyword {
  const char* upper;
  TokenKind kind;
};

constexpr Keyword kKeywords[] = {
    {"AND", TK_AND},       {"ARRAY", TK_ARRAY},         {"BEGIN", TK_BEGIN},
    {"CASE", TK_CASE},     {"CONST", TK_CONST},         {"DIV", TK_DIV},
    {"DO", TK_DO},         {"DOWNTO", TK_DOWNTO},       {"ELSE", TK_ELSE},
    {"END", TK_END},       {"EXCEPT", TK_EXCEPT},       {"FINALLY", TK_FINALLY},
    {"FOR", TK_FOR},       {"FORWARD", TK_FORWARD},     {"FUNCTION", TK_FUNCTION},
    {"IF", TK_IF},         {"MOD", TK_MOD},             {"NIL", TK_NIL},
    {"NOT", TK_NOT},       {"OF", TK_OF},               {"OR", TK_OR},
    {"PROCEDURE", TK_PROCEDURE}, {"RECORD", TK_RECORD}, {"REPEAT", TK_REPEAT},
    {"SHL", TK_SHL},       {"SHR", TK_SHR},             {"THEN", TK_THEN},
    {"TO", TK_TO},         {"TRY", TK_TRY},             {"TYPE", TK_TYPE},
    {"UNTIL", TK_UNTIL},   {"USES", TK_USES},           {"VAR", TK_VAR},
    {"WHILE", TK_WHILE},   {"XOR", TK_XOR},             {"PROGRAM", TK_PROGRAM},
    {"WITH", TK_WITH},     {"IN", TK_IN},               {"SET", TK_SET},
    {"RAISE", TK_RAISE},   {"LABEL", TK_LABEL},         {"GOTO", TK_GOTO},
    {"CLASS", TK_CLASS},   {"OUT", TK_OUT},
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a') return c - 'a' + 10;
  return c - 'A' + 10;
}

Token ErrorToken(int line, int col, const char* message, std::string near = {}) {
  Token t;
  t.kind = TK_ERROR;
  t.line = line;
  t.col = col;
  t.text = message;
  t.upper = std::move(near);
  return t;
}

}  // namespace

Lexer::Lexer(std::string_view source) : src_(source) {}

void Lexer::Advance() {
  if (pos_ >= src_.size()) return;
  if (src_[pos_] == '\n') {
    ++line_;
    col_ = 1;
  } else {
    ++col_;
  }
  ++pos_;
}

void Lexer::SkipSpaceAndComments(Token& error) {
  for (;;) {
    char c = Peek();
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      Advance();
    } else if (c == '{') {
      int line = line_, col = col_;
      while (pos_ < src_.size() && Peek() != '}') Advance();
      if (pos_ >= src_.size()) {
        error = ErrorToken(line, col, "Unterminated comment", "{");
        return;
      }
      Advance();
    } else if (c == '(' && Peek(1) == '*') {
      int line = line_, col = col_;
      Advance();
      Advance();
      while (pos_ < src_.size() && !(Peek() == '*' && Peek(1) == ')')) Advance();
      if (pos_ >= src_.size()) {
        error = ErrorToken(line, col, "Unterminated comment", "(*");
        return;
      }
      Advance();
      Advance();
    } else if (c == '/' && Peek(1) == '/') {
      while (pos_ < src_.size() && Peek() != '\n') Advance();
    } else {
      return;
    }
  }
}

Token Lexer::Next() {
  Token error;
  SkipSpaceAndComments(error);
  if (error.kind == TK_ERROR) return error;
  Token t;
  t.line = line_;
  t.col = col_;
  if (pos_ >= src_.size()) {
    t.kind = TK_EOF;
    return t;
  }
  char c = Peek();
  if (IsIdentStart(c)) {
    size_t start = pos_;
    while (IsIdentStart(Peek()) || IsDigit(Peek())) Advance();
    t.text.assign(src_.substr(start, pos_ - start));
    t.upper = t.text;
    for (char& ch : t.upper) {
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    }
    t.kind = TK_IDENT;
    if (t.upper.size() >= 2 && t.upper.size() <= 9) {
      for (const Keyword& k : kKeywords) {
        if (k.upper[0] == t.upper[0] && t.upper == k.upper) {
          t.kind = k.kind;
          break;
        }
      }
    }
    return t;
  }
  if (IsDigit(c) || (c == '$' && IsHex(Peek(1)))) return Number(t.line, t.col);
  if (c == '\'' || c == '#') return StringLiteral(t.line, t.col);

  auto single = [&](TokenKind kind, int length) {
    t.kind = kind;
    t.text.assign(src_.substr(pos_, static_cast<size_t>(length)));
    for (int i = 0; i < length; ++i) Advance();
    return t;
  };
  char n = Peek(1);
  switch (c) {
    case '+': return single(TK_PLUS, 1);
    case '-': return single(TK_MINUS, 1);
    case '*': return single(TK_STAR, 1);
    case '/': return single(TK_SLASH, 1);
    case '=': return single(TK_EQ, 1);
    case '<':
      if (n == '>') return single(TK_NE, 2);
      if (n == '=') return single(TK_LE, 2);
      return single(TK_LT, 1);
    case '>':
      if (n == '=') return single(TK_GE, 2);
      return single(TK_GT, 1);
    case ':':
      if (n == '=') return single(TK_ASSIGN, 2);
      return single(TK_COLON, 1);
    case '(': return single(TK_LPAREN, 1);
    case ')': return single(TK_RPAREN, 1);
    case '[': return single(TK_LBRACKET, 1);
    case ']': return single(TK_RBRACKET, 1);
    case ',': return single(TK_COMMA, 1);
    case ';': return single(TK_SEMI, 1);
    case '.':
      if (n == '.') return single(TK_DOTDOT, 2);
      return single(TK_DOT, 1);
    case '^': return single(TK_CARET, 1);
    case '@': return single(TK_AT, 1);
    default: break;
  }
  std::string bad(1, c);
  Advance();
  return ErrorToken(t.line, t.col, "Invalid character", bad);
}

// number = digits [ "." digits ] [ ("e"|"E") [sign] digits ] | "$" hexdigits
Token Lexer::Number(int line, int col) {
  Token t;
  t.line = line;
  t.col = col;
  size_t start = pos_;
  if (Peek() == '$') {
    Advance();
    uint64_t value = 0;
    bool overflow = false;
    while (IsHex(Peek())) {
      if (value > (UINT64_MAX >> 4)) overflow = true;
      value = (value << 4) | static_cast<uint64_t>(HexValue(Peek()));
      Advance();
    }
    t.text.assign(src_.substr(start, pos_ - start));
    if (overflow) return ErrorToken(line, col, "Number too large", t.text);
    t.kind = TK_INT;
    t.ival = static_cast<int64_t>(value);
    return t;
  }
  while (IsDigit(Peek())) Advance();
  bool isFloat = false;
  // "1..2" is a range, not a float.
  if (Peek() == '.' && IsDigit(Peek(1))) {
    isFloat = true;
    Advance();
    while (IsDigit(Peek())) Advance();
  }
  if ((Peek() == 'e' || Peek() == 'E') &&
      (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
    isFloat = true;
    Advance();
    if (Peek() == '+' || Peek() == '-') Advance();
    while (IsDigit(Peek())) Advance();
  }
  t.text.assign(src_.substr(start, pos_ - start));
  if (isFloat) {
    t.kind = TK_FLOAT;
    t.fval = std::strtod(t.text.c_str(), nullptr);
    return t;
  }
  uint64_t value = 0;
  for (char ch : t.text) {
    uint64_t digit = static_cast<uint64_t>(ch - '0');
    if (value > (UINT64_MAX - digit) / 10) return ErrorToken(line, col, "Number too large", t.text);
    value = value * 10 + digit;
  }
  if (value > static_cast<uint64_t>(INT64_MAX)) {
    // Too large for an integer: read as a float, as Delphi-family compilers do.
    t.kind = TK_FLOAT;
    t.fval = static_cast<double>(value);
    return t;
  }
  t.kind = TK_INT;
  t.ival = static_cast<int64_t>(value);
  return t;
}

// string = { "'" { char | "''" } "'" | "#" number }
Token Lexer::StringLiteral(int line, int col) {
  Token t;
  t.kind = TK_STRING;
  t.line = line;
  t.col = col;
  size_t start = pos_;
  std::string value;
  for (;;) {
    if (Peek() == '\'') {
      int qline = line_, qcol = col_;
      Advance();
      for (;;) {
        if (pos_ >= src_.size() || Peek() == '\n') {
          return ErrorToken(qline, qcol, "Unterminated string", "'");
        }
        if (Peek() == '\'') {
          if (Peek(1) == '\'') {
            value.push_back('\'');
            Advance();
            Advance();
            continue;
          }
          Advance();
          break;
        }
        value.push_back(Peek());
        Advance();
      }
    } else if (Peek() == '#') {
      int hline = line_, hcol = col_;
      Advance();
      int64_t code = 0;
      if (Peek() == '$' && IsHex(Peek(1))) {
        Advance();
        while (IsHex(Peek())) {
          code = code * 16 + HexValue(Peek());
          if (code > 255) break;
          Advance();
        }
      } else if (IsDigit(Peek())) {
        while (IsDigit(Peek())) {
          code = code * 10 + (Peek() - '0');
          if (code > 255) break;
          Advance();
        }
      } else {
        return ErrorToken(hline, hcol, "Invalid character code", "#");
      }
      if (code > 255) return ErrorToken(hline, hcol, "Character code out of range", "#");
      value.push_back(static_cast<char>(static_cast<unsigned char>(code)));
    } else {
      break;
    }
  }
  t.text = std::move(value);
  t.upper.assign(src_.substr(start, pos_ - start));  // as written, for messages
  if (t.text.size() == 1) t.ival = static_cast<unsigned char>(t.text[0]);
  return t;
}

const char* TokenKindName(TokenKind kind) {
  switch (kind) {
    case TK_EOF: return "end of file";
    case TK_IDENT: return "identifier";
    case TK_INT: return "integer";
    case TK_FLOAT: return "number";
    case TK_STRING: return "string";
    case TK_PLUS: return "'+'";
    case TK_MINUS: return "'-'";
    case TK_STAR: return "'*'";
    case TK_SLASH: return "'/'";
    case TK_EQ: return "'='";
    case TK_NE: return "'<>'";
    case TK_LT: return "'<'";
    case TK_LE: return "'<='";
    case TK_GT: return "'>'";
    case TK_GE: return "'>='";
    case TK_ASSIGN: return "':='";
    case TK_LPAREN: return "'('";
    case TK_RPAREN: return "')'";
    case TK_LBRACKET: return "'['";
    case TK_RBRACKET: return "']'";
    case TK_COMMA: return "','";
    case TK_SEMI: return "';'";
    case TK_COLON: return "':'";
    case TK_DOT: return "'.'";
    case TK_DOTDOT: return "'..'";
    default: break;
  }
  for (const Keyword& k : kKeywords) {
    if (k.kind == kind) return k.upper;
  }
  return "token";
}

}  // namespace script
