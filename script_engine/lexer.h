// The script lexer: turns source text into tokens with line and column, skipping the three kinds of
// comment. Identifiers and keywords are case-insensitive; each token keeps its upper-case form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace script {

enum TokenKind : uint8_t {
  TK_EOF, TK_IDENT, TK_INT, TK_FLOAT, TK_STRING, TK_ERROR,
  // punctuation
  TK_PLUS, TK_MINUS, TK_STAR, TK_SLASH, TK_EQ, TK_NE, TK_LT, TK_LE, TK_GT, TK_GE, TK_ASSIGN,
  TK_LPAREN, TK_RPAREN, TK_LBRACKET, TK_RBRACKET, TK_COMMA, TK_SEMI, TK_COLON, TK_DOT,
  TK_DOTDOT, TK_CARET, TK_AT,
  // keywords
  TK_AND, TK_ARRAY, TK_BEGIN, TK_CASE, TK_CONST, TK_DIV, TK_DO, TK_DOWNTO, TK_ELSE, TK_END,
  TK_EXCEPT, TK_FINALLY, TK_FOR, TK_FORWARD, TK_FUNCTION, TK_IF, TK_MOD, TK_NIL, TK_NOT, TK_OF,
  TK_OR, TK_PROCEDURE, TK_RECORD, TK_REPEAT, TK_SHL, TK_SHR, TK_THEN, TK_TO, TK_TRY, TK_TYPE,
  TK_UNTIL, TK_USES, TK_VAR, TK_WHILE, TK_XOR, TK_PROGRAM, TK_WITH, TK_IN, TK_SET, TK_RAISE,
  TK_LABEL, TK_GOTO, TK_CLASS, TK_OUT,
};

struct Token {
  TokenKind kind = TK_EOF;
  int line = 1;
  int col = 1;
  std::string text;   // as written (for messages); the decoded value for strings
  std::string upper;  // upper-case identifier or keyword
  int64_t ival = 0;   // integer literal (also the value of a one-character string)
  double fval = 0.0;  // float literal
};

// Reads tokens one at a time from a source that outlives the lexer.
class Lexer {
 public:
  explicit Lexer(std::string_view source);
  // The next token; TK_ERROR carries its message in `text` (unterminated string or comment,
  // bad character, number too large).
  Token Next();

 private:
  void SkipSpaceAndComments(Token& error);
  Token Number(int line, int col);
  Token StringLiteral(int line, int col);
  char Peek(size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }
  void Advance();

  std::string_view src_;
  size_t pos_ = 0;
  int line_ = 1;
  int col_ = 1;
};

// Printable name of a token kind for messages ("';'", "identifier").
const char* TokenKindName(TokenKind kind);

}  // namespace script
