// The script parser: builds a syntax tree of declarations, statements and expressions from the
// lexer's tokens. Types, names and operands are checked later, by the code generator.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "script_engine/lexer.h"
#include "script_engine/script.h"

namespace script {

// Where the less obvious kinds keep their parts: Binary with op TK_DOTDOT is a range (case labels,
// set constructors); SetCons lists its elements and ranges; InitList lists its elements and
// InitRecord its values with the field names in `names`; With lists its records and has the
// statement in `a`; TypeArray has its bounds in `a` and `b` or an index type in `d`, the element
// type in `c`; TypeEnum has its names in `names`; TypeSet its element type in `c`; TypeSubrange its
// bounds in `a` and `b`.
enum class NK : uint8_t {
  // expressions
  Int, Float, Str, Nil, Name, Unary, Binary, Call, Index, Field, SetCons,
  // initializers of typed constants: (a, b, ...) and (x: a; y: b)
  InitList, InitRecord,
  // statements
  Assign, ExprStmt, Compound, If, While, Repeat, For, Case, CaseBranch, Break, Continue, Exit,
  TryExcept, TryFinally, With, Empty,
  // type expressions
  TypeName, TypeArray, TypeDynArray, TypeRecord, FieldDecl, TypeEnum, TypeSet, TypeSubrange,
};

struct Node {
  NK kind = NK::Empty;
  int line = 0;
  int col = 0;
  TokenKind op = TK_EOF;  // operator of Unary / Binary
  std::string text;       // name as written, or string literal value
  std::string upper;      // upper-case name
  int64_t ival = 0;
  double fval = 0.0;
  bool flag = false;      // For: downto; Call: written with parentheses
  Node* a = nullptr;      // operand, target, condition, selector, element type, ...
  Node* b = nullptr;
  Node* c = nullptr;
  Node* d = nullptr;
  std::vector<Node*> list;           // arguments, statements, branches, labels, fields, elements
  std::vector<std::string> names;    // FieldDecl, TypeEnum and InitRecord names
};

enum class ParamMode : uint8_t { Value, Var, Const };

struct ParamDecl {
  std::vector<std::string> names;
  ParamMode mode = ParamMode::Value;
  Node* type = nullptr;  // null: untyped (not allowed)
  int line = 0, col = 0;
};

struct Decl;

struct RoutineDecl {
  std::string name;
  std::string upper;
  bool isFunction = false;
  bool isForward = false;
  std::vector<ParamDecl> params;
  Node* result = nullptr;
  std::vector<Decl*> decls;  // local declarations
  Node* body = nullptr;      // compound statement; null for forward
  int line = 0, col = 0;
};

enum class DeclKind : uint8_t { Const, Var, Type, Routine };

struct Decl {
  DeclKind kind = DeclKind::Var;
  std::vector<std::string> names;  // Var: several names; others: one
  Node* type = nullptr;            // Var, Type, typed Const
  Node* value = nullptr;           // Const value, Var initial value
  RoutineDecl* routine = nullptr;
  int line = 0, col = 0;
};

struct ProgramTree {
  std::vector<std::pair<std::string, Token>> uses;  // upper-case unit name and its token
  std::vector<Decl*> decls;
  Node* body = nullptr;
};

// Thrown to unwind the parser and the code generator after the first error has been recorded.
struct CompileAbort {};

class Parser {
 public:
  Parser(std::string_view source, TCompileError& error);
  // program = [ "program" ident ";" ] [ uses ] { declaration } compound "."
  ProgramTree ParseProgram();
  // A routine heading alone, as given to AddFunction.
  RoutineDecl* ParseHeadingOnly();

 private:
  void Fail(const Token& at, const std::string& message);
  [[noreturn]] void Abort(const Token& at, const std::string& message);
  void NextToken();
  bool Accept(TokenKind kind);
  void Expect(TokenKind kind);
  std::string ExpectIdent();
  Node* NewNode(NK kind, const Token& at);

  void ParseDeclarations(std::vector<Decl*>& out, bool global);
  void ParseConstSection(std::vector<Decl*>& out);
  void ParseVarSection(std::vector<Decl*>& out, bool global);
  void ParseTypeSection(std::vector<Decl*>& out);
  RoutineDecl* ParseRoutine();
  RoutineDecl* ParseHeading();
  Node* ParseType();
  Node* ParseInitializer();

  Node* ParseCompound();
  Node* ParseStatement();
  std::vector<Node*> ParseStatementList(TokenKind end1, TokenKind end2 = TK_EOF);
  Node* ParseIf();
  Node* ParseCase();
  Node* ParseFor();
  Node* ParseTry();
  Node* ParseWith();

  Node* ParseExpr();
  Node* ParseExprRest(Node* left);
  Node* ParseSimple();
  Node* ParseSimpleRest(Node* left);
  Node* ParseTerm();
  Node* ParseTermRest(Node* left);
  Node* ParseFactor();
  Node* ParseSetConstructor();
  Node* ParseRange();
  Node* ParseDesignator(Node* base);
  const Token& PeekToken();

  Lexer lexer_;
  int depth_ = 0;      // nesting of the statements and routines being parsed
  int exprDepth_ = 0;  // nesting of the expressions being parsed
  Token tok_;
  Token peek_;            // the token after tok_, once PeekToken has read it
  bool hasPeek_ = false;
  TCompileError& error_;
  // Nodes are allocated in blocks: a compile makes hundreds of them.
  std::vector<std::unique_ptr<Node[]>> nodeBlocks_;
  size_t nodesInBlock_ = 0;
  size_t blockSize_ = 8;
  std::deque<Decl> decls_;
  std::deque<RoutineDecl> routines_;
  friend class CodeGen;
};

}  // namespace script
