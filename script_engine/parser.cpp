// The script parser: recursive descent over the token stream, one function per grammar rule.
#include "script_engine/parser.h"

namespace script {

namespace {

// The deepest nesting the parser accepts, counted separately for statements and routines and for
// expressions; deeper input is refused instead of exhausting the native stack. Only real nesting
// counts: a flat chain such as a + b + c + ... is read in a loop and may be of any length.
constexpr int kMaxNesting = 200;
constexpr const char* kTooDeep =
    "Expression nested too deeply (parentheses, brackets and calls nest at most 200 levels)";

std::string Quoted(TokenKind kind) {
  std::string name = TokenKindName(kind);
  if (!name.empty() && name[0] != '\'' && kind >= TK_AND) {
    for (char& ch : name) {
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    }
    return "'" + name + "'";
  }
  return name;
}

// Counts nesting while a rule is being parsed.
struct DepthGuard {
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  int& depth_;
};

}  // namespace

Parser::Parser(std::string_view source, TCompileError& error) : lexer_(source), error_(error) {
  NextToken();
}

void Parser::Fail(const Token& at, const std::string& message) {
  if (!error_.message.empty()) return;
  error_.line = at.line;
  error_.col = at.col;
  error_.message = message;
  if (at.kind == TK_EOF) {
    error_.token = "end of file";
  } else if (at.kind == TK_STRING) {
    error_.token = at.upper;
  } else if (at.kind == TK_ERROR) {
    error_.token = at.upper;
  } else {
    error_.token = at.text;
  }
}

void Parser::Abort(const Token& at, const std::string& message) {
  Fail(at, message);
  throw CompileAbort{};
}

void Parser::NextToken() {
  if (hasPeek_) {
    tok_ = std::move(peek_);
    hasPeek_ = false;
  } else {
    tok_ = lexer_.Next();
  }
  if (tok_.kind == TK_ERROR) Abort(tok_, tok_.text);
}

const Token& Parser::PeekToken() {
  if (!hasPeek_) {
    peek_ = lexer_.Next();
    hasPeek_ = true;
  }
  return peek_;
}

bool Parser::Accept(TokenKind kind) {
  if (tok_.kind != kind) return false;
  NextToken();
  return true;
}

void Parser::Expect(TokenKind kind) {
  if (tok_.kind != kind) Abort(tok_, Quoted(kind) + " expected");
  NextToken();
}

std::string Parser::ExpectIdent() {
  if (tok_.kind != TK_IDENT) Abort(tok_, "Identifier expected");
  std::string name = tok_.text;
  NextToken();
  return name;
}

Node* Parser::NewNode(NK kind, const Token& at) {
  // Blocks grow from 8 nodes (a routine heading) to 128 (a long program).
  if (nodeBlocks_.empty() || nodesInBlock_ == blockSize_) {
    if (!nodeBlocks_.empty() && blockSize_ < 128) blockSize_ *= 2;
    nodeBlocks_.push_back(std::make_unique<Node[]>(blockSize_));
    nodesInBlock_ = 0;
  }
  Node* n = &nodeBlocks_.back()[nodesInBlock_++];
  n->kind = kind;
  n->line = at.line;
  n->col = at.col;
  return n;
}

// program = [ "program" ident ";" ] [ "uses" ident { "," ident } ";" ] { declaration }
//           compound "."
ProgramTree Parser::ParseProgram() {
  ProgramTree tree;
  if (Accept(TK_PROGRAM)) {
    ExpectIdent();
    Expect(TK_SEMI);
  }
  if (Accept(TK_USES)) {
    do {
      if (tok_.kind != TK_IDENT) Abort(tok_, "Identifier expected");
      tree.uses.emplace_back(tok_.upper, tok_);
      NextToken();
    } while (Accept(TK_COMMA));
    Expect(TK_SEMI);
  }
  ParseDeclarations(tree.decls, true);
  if (tok_.kind != TK_BEGIN) Abort(tok_, "'begin' expected");
  tree.body = ParseCompound();
  Expect(TK_DOT);
  return tree;
}

// declaration = const-section | var-section | type-section | routine
void Parser::ParseDeclarations(std::vector<Decl*>& out, bool global) {
  for (;;) {
    switch (tok_.kind) {
      case TK_CONST: ParseConstSection(out); break;
      case TK_VAR: ParseVarSection(out, global); break;
      case TK_TYPE: ParseTypeSection(out); break;
      case TK_PROCEDURE:
      case TK_FUNCTION: {
        DepthGuard guard(depth_);
        if (depth_ > kMaxNesting) Abort(tok_, "Routines nested too deeply");
        Token at = tok_;
        decls_.emplace_back();
        Decl* d = &decls_.back();
        d->kind = DeclKind::Routine;
        d->line = at.line;
        d->col = at.col;
        d->routine = ParseRoutine();
        out.push_back(d);
        break;
      }
      default: return;
    }
  }
}

// const-section = "const" { ident ( "=" expr | ":" type "=" initializer ) ";" }
void Parser::ParseConstSection(std::vector<Decl*>& out) {
  Expect(TK_CONST);
  do {
    Token at = tok_;
    decls_.emplace_back();
    Decl* d = &decls_.back();
    d->kind = DeclKind::Const;
    d->line = at.line;
    d->col = at.col;
    d->names.push_back(ExpectIdent());
    if (Accept(TK_COLON)) d->type = ParseType();
    Expect(TK_EQ);
    d->value = d->type ? ParseInitializer() : ParseExpr();
    Expect(TK_SEMI);
    out.push_back(d);
  } while (tok_.kind == TK_IDENT);
}

// var-section = "var" { ident { "," ident } ":" type [ "=" initializer ] ";" }   (initial values
//               for globals only)
void Parser::ParseVarSection(std::vector<Decl*>& out, bool global) {
  Expect(TK_VAR);
  do {
    Token at = tok_;
    decls_.emplace_back();
    Decl* d = &decls_.back();
    d->kind = DeclKind::Var;
    d->line = at.line;
    d->col = at.col;
    d->names.push_back(ExpectIdent());
    while (Accept(TK_COMMA)) d->names.push_back(ExpectIdent());
    Expect(TK_COLON);
    d->type = ParseType();
    if (tok_.kind == TK_EQ) {
      if (!global || d->names.size() != 1) Abort(tok_, "';' expected");
      NextToken();
      d->value = ParseInitializer();
    }
    Expect(TK_SEMI);
    out.push_back(d);
  } while (tok_.kind == TK_IDENT);
}

// type-section = "type" { ident "=" type ";" }
void Parser::ParseTypeSection(std::vector<Decl*>& out) {
  Expect(TK_TYPE);
  do {
    Token at = tok_;
    decls_.emplace_back();
    Decl* d = &decls_.back();
    d->kind = DeclKind::Type;
    d->line = at.line;
    d->col = at.col;
    d->names.push_back(ExpectIdent());
    Expect(TK_EQ);
    d->type = ParseType();
    Expect(TK_SEMI);
    out.push_back(d);
  } while (tok_.kind == TK_IDENT);
}

// type = ident | subrange | "(" ident { "," ident } ")" | "set" "of" type
//      | "array" [ "[" type { "," type } "]" ] "of" type
//      | "record" { ident { "," ident } ":" type [ ";" ] } "end"
// subrange = simple ".." simple
Node* Parser::ParseType() {
  Token at = tok_;
  if (tok_.kind == TK_IDENT && tok_.upper == "STRING") {
    Node* n = NewNode(NK::TypeName, at);
    n->text = tok_.text;
    n->upper = tok_.upper;
    NextToken();
    if (tok_.kind == TK_LBRACKET) {
      // string[N]: a length-limited string is read as a plain string.
      NextToken();
      ParseExpr();
      Expect(TK_RBRACKET);
    }
    return n;
  }
  if (tok_.kind == TK_IDENT || tok_.kind == TK_INT || tok_.kind == TK_STRING || tok_.kind == TK_MINUS ||
      tok_.kind == TK_PLUS) {
    // A type name, or the first bound of a subrange (a constant, a literal, an expression).
    Node* first = ParseSimple();
    if (tok_.kind == TK_DOTDOT) {
      NextToken();
      Node* n = NewNode(NK::TypeSubrange, at);
      n->a = first;
      n->b = ParseSimple();
      return n;
    }
    if (first->kind != NK::Name) Abort(tok_, "'..' expected");
    Node* n = NewNode(NK::TypeName, at);
    n->text = first->text;
    n->upper = first->upper;
    return n;
  }
  if (Accept(TK_LPAREN)) {
    Node* n = NewNode(NK::TypeEnum, at);
    do {
      n->names.push_back(ExpectIdent());
      if (tok_.kind == TK_EQ) Abort(tok_, "Enumeration values cannot be given explicitly");
    } while (Accept(TK_COMMA));
    Expect(TK_RPAREN);
    return n;
  }
  if (Accept(TK_SET)) {
    Expect(TK_OF);
    Node* n = NewNode(NK::TypeSet, at);
    n->c = ParseType();
    return n;
  }
  if (Accept(TK_ARRAY)) {
    if (Accept(TK_LBRACKET)) {
      std::vector<Node*> indexes;
      do {
        indexes.push_back(ParseType());
      } while (Accept(TK_COMMA));
      Expect(TK_RBRACKET);
      Expect(TK_OF);
      Node* elem = ParseType();
      // array[a..b, c..d] of T is array[a..b] of array[c..d] of T.
      for (size_t i = indexes.size(); i-- > 0;) {
        Node* n = NewNode(NK::TypeArray, at);
        n->d = indexes[i];
        n->c = elem;
        elem = n;
      }
      return elem;
    }
    Expect(TK_OF);
    Node* n = NewNode(NK::TypeDynArray, at);
    n->c = ParseType();
    return n;
  }
  if (Accept(TK_RECORD)) {
    Node* n = NewNode(NK::TypeRecord, at);
    while (tok_.kind == TK_IDENT) {
      Node* f = NewNode(NK::FieldDecl, tok_);
      f->names.push_back(ExpectIdent());
      while (Accept(TK_COMMA)) f->names.push_back(ExpectIdent());
      Expect(TK_COLON);
      f->c = ParseType();
      n->list.push_back(f);
      if (!Accept(TK_SEMI)) break;
    }
    Expect(TK_END);
    return n;
  }
  Abort(tok_, "Type expected");
}

// initializer = expr | "(" initializer { "," initializer } ")"
//             | "(" ident ":" initializer { ";" ident ":" initializer } [ ";" ] ")"
// The first form in parentheses with one element is also a parenthesized expression, which may
// go on: (1 + 2) * 3.
Node* Parser::ParseInitializer() {
  if (tok_.kind != TK_LPAREN) return ParseExpr();
  DepthGuard guard(exprDepth_);
  if (exprDepth_ > kMaxNesting) Abort(tok_, kTooDeep);
  Token at = tok_;
  NextToken();
  if (tok_.kind == TK_IDENT && PeekToken().kind == TK_COLON) {
    Node* n = NewNode(NK::InitRecord, at);
    while (tok_.kind == TK_IDENT) {
      n->names.push_back(tok_.text);
      NextToken();
      Expect(TK_COLON);
      n->list.push_back(ParseInitializer());
      if (!Accept(TK_SEMI)) break;
    }
    Expect(TK_RPAREN);
    return n;
  }
  Node* n = NewNode(NK::InitList, at);
  do {
    n->list.push_back(ParseInitializer());
  } while (Accept(TK_COMMA));
  Expect(TK_RPAREN);
  if (n->list.size() == 1 && n->list[0]->kind != NK::InitList && n->list[0]->kind != NK::InitRecord) {
    switch (tok_.kind) {
      case TK_SEMI:
      case TK_COMMA:
      case TK_RPAREN: return n;
      default: break;
    }
    // A parenthesized expression that the initializer only began.
    Node* e = ParseDesignator(n->list[0]);
    return ParseExprRest(ParseSimpleRest(ParseTermRest(e)));
  }
  return n;
}

// routine = heading ";" ( "forward" ";" | { local-declaration } compound ";" )
RoutineDecl* Parser::ParseRoutine() {
  RoutineDecl* r = ParseHeading();
  Expect(TK_SEMI);
  if (Accept(TK_FORWARD)) {
    r->isForward = true;
    Expect(TK_SEMI);
    return r;
  }
  ParseDeclarations(r->decls, false);
  if (tok_.kind != TK_BEGIN) Abort(tok_, "'begin' expected");
  r->body = ParseCompound();
  Expect(TK_SEMI);
  return r;
}

// heading = ("procedure" | "function") ident [ "(" [ params { ";" params } ] ")" ]
//           [ ":" type ]          (the result type only for functions)
// params = [ "var" | "const" | "out" ] ident { "," ident } ":" type
RoutineDecl* Parser::ParseHeading() {
  routines_.emplace_back();
  RoutineDecl* r = &routines_.back();
  r->line = tok_.line;
  r->col = tok_.col;
  if (Accept(TK_FUNCTION)) {
    r->isFunction = true;
  } else {
    Expect(TK_PROCEDURE);
  }
  if (tok_.kind != TK_IDENT) Abort(tok_, "Identifier expected");
  r->name = tok_.text;
  r->upper = tok_.upper;
  NextToken();
  if (Accept(TK_LPAREN)) {
    if (tok_.kind != TK_RPAREN) {
      do {
        ParamDecl p;
        p.line = tok_.line;
        p.col = tok_.col;
        if (Accept(TK_VAR) || Accept(TK_OUT)) {
          p.mode = ParamMode::Var;
        } else if (Accept(TK_CONST)) {
          p.mode = ParamMode::Const;
        }
        p.names.push_back(ExpectIdent());
        while (Accept(TK_COMMA)) p.names.push_back(ExpectIdent());
        if (tok_.kind != TK_COLON) Abort(tok_, "':' expected");
        NextToken();
        p.type = ParseType();
        r->params.push_back(std::move(p));
      } while (Accept(TK_SEMI));
    }
    Expect(TK_RPAREN);
  }
  if (r->isFunction) {
    Expect(TK_COLON);
    r->result = ParseType();
  }
  return r;
}

RoutineDecl* Parser::ParseHeadingOnly() {
  RoutineDecl* r = ParseHeading();
  Accept(TK_SEMI);
  if (tok_.kind != TK_EOF) Abort(tok_, "End of declaration expected");
  return r;
}

// compound = "begin" statement-list "end"
Node* Parser::ParseCompound() {
  Node* n = NewNode(NK::Compound, tok_);
  Expect(TK_BEGIN);
  n->list = ParseStatementList(TK_END);
  Expect(TK_END);
  return n;
}

// statement-list = statement { ";" statement }
std::vector<Node*> Parser::ParseStatementList(TokenKind end1, TokenKind end2) {
  std::vector<Node*> list;
  for (;;) {
    Node* s = ParseStatement();
    if (s) list.push_back(s);
    if (Accept(TK_SEMI)) continue;
    if (tok_.kind == end1 || (end2 != TK_EOF && tok_.kind == end2)) break;
    Abort(tok_, Quoted(end1 == TK_END ? TK_SEMI : TK_SEMI) + " expected");
  }
  return list;
}

// statement = [ designator ":=" expr | designator | compound | if | case | while | repeat
//             | for | try | "break" | "continue" | "exit" [ "(" expr ")" ] ]
Node* Parser::ParseStatement() {
  DepthGuard guard(depth_);
  if (depth_ > kMaxNesting) Abort(tok_, "Statement nested too deeply");
  Token at = tok_;
  switch (tok_.kind) {
    case TK_BEGIN: return ParseCompound();
    case TK_IF: return ParseIf();
    case TK_CASE: return ParseCase();
    case TK_FOR: return ParseFor();
    case TK_TRY: return ParseTry();
    case TK_WITH: return ParseWith();
    case TK_WHILE: {
      NextToken();
      Node* n = NewNode(NK::While, at);
      n->a = ParseExpr();
      Expect(TK_DO);
      n->b = ParseStatement();
      return n;
    }
    case TK_REPEAT: {
      NextToken();
      Node* n = NewNode(NK::Repeat, at);
      n->list = ParseStatementList(TK_UNTIL);
      Expect(TK_UNTIL);
      n->a = ParseExpr();
      return n;
    }
    case TK_IDENT: {
      if (tok_.upper == "BREAK" || tok_.upper == "CONTINUE") {
        Node* n = NewNode(tok_.upper == "BREAK" ? NK::Break : NK::Continue, at);
        NextToken();
        return n;
      }
      if (tok_.upper == "EXIT") {
        Node* n = NewNode(NK::Exit, at);
        NextToken();
        if (Accept(TK_LPAREN)) {
          if (tok_.kind != TK_RPAREN) n->a = ParseExpr();
          Expect(TK_RPAREN);
        }
        return n;
      }
      Node* target = NewNode(NK::Name, at);
      target->text = tok_.text;
      target->upper = tok_.upper;
      NextToken();
      target = ParseDesignator(target);
      if (tok_.kind == TK_ASSIGN) {
        NextToken();
        Node* n = NewNode(NK::Assign, at);
        n->a = target;
        n->b = ParseExpr();
        return n;
      }
      if (tok_.kind == TK_EQ) Abort(tok_, "':=' expected");
      Node* n = NewNode(NK::ExprStmt, at);
      n->a = target;
      return n;
    }
    case TK_SEMI:
    case TK_END:
    case TK_UNTIL:
    case TK_ELSE:
    case TK_EXCEPT:
    case TK_FINALLY: return nullptr;  // empty statement
    case TK_EOF: Abort(tok_, "Unexpected end of file");
    default: break;
  }
  Abort(tok_, "Statement expected");
}

// if = "if" expr "then" statement [ "else" statement ]
Node* Parser::ParseIf() {
  Node* n = NewNode(NK::If, tok_);
  Expect(TK_IF);
  n->a = ParseExpr();
  Expect(TK_THEN);
  n->b = ParseStatement();
  if (Accept(TK_ELSE)) n->c = ParseStatement();
  return n;
}

// case = "case" expr "of" { range { "," range } ":" statement [ ";" ] }
//        [ ("else" | "otherwise") statement-list ] "end"
Node* Parser::ParseCase() {
  Node* n = NewNode(NK::Case, tok_);
  Expect(TK_CASE);
  n->a = ParseExpr();
  Expect(TK_OF);
  while (tok_.kind != TK_ELSE && tok_.kind != TK_END &&
         !(tok_.kind == TK_IDENT && tok_.upper == "OTHERWISE")) {
    Node* branch = NewNode(NK::CaseBranch, tok_);
    do {
      branch->list.push_back(ParseRange());
    } while (Accept(TK_COMMA));
    Expect(TK_COLON);
    branch->a = ParseStatement();
    n->list.push_back(branch);
    if (!Accept(TK_SEMI)) break;
  }
  if (tok_.kind == TK_ELSE || (tok_.kind == TK_IDENT && tok_.upper == "OTHERWISE")) {
    Node* other = NewNode(NK::Compound, tok_);
    NextToken();
    other->list = ParseStatementList(TK_END);
    n->b = other;
  }
  Expect(TK_END);
  return n;
}

// for = "for" ident ":=" expr ("to" | "downto") expr "do" statement
Node* Parser::ParseFor() {
  Node* n = NewNode(NK::For, tok_);
  Expect(TK_FOR);
  Node* var = NewNode(NK::Name, tok_);
  var->upper = tok_.upper;
  var->text = tok_.text;
  ExpectIdent();
  n->a = var;
  Expect(TK_ASSIGN);
  n->b = ParseExpr();
  if (Accept(TK_DOWNTO)) {
    n->flag = true;
  } else {
    Expect(TK_TO);
  }
  n->c = ParseExpr();
  Expect(TK_DO);
  n->d = ParseStatement();
  return n;
}

// try = "try" statement-list ( "except" statement-list | "finally" statement-list ) "end"
Node* Parser::ParseTry() {
  Token at = tok_;
  Expect(TK_TRY);
  Node* body = NewNode(NK::Compound, at);
  body->list = ParseStatementList(TK_EXCEPT, TK_FINALLY);
  bool isExcept = tok_.kind == TK_EXCEPT;
  NextToken();
  Node* n = NewNode(isExcept ? NK::TryExcept : NK::TryFinally, at);
  n->a = body;
  Node* handler = NewNode(NK::Compound, tok_);
  handler->list = ParseStatementList(TK_END);
  Expect(TK_END);
  n->b = handler;
  return n;
}

// with = "with" expr { "," expr } "do" statement
Node* Parser::ParseWith() {
  Node* n = NewNode(NK::With, tok_);
  Expect(TK_WITH);
  do {
    n->list.push_back(ParseExpr());
  } while (Accept(TK_COMMA));
  Expect(TK_DO);
  n->a = ParseStatement();
  return n;
}

// expr = simple [ relop simple ]      relop = "=" | "<>" | "<" | "<=" | ">" | ">=" | "in"
Node* Parser::ParseExpr() { return ParseExprRest(ParseSimple()); }

Node* Parser::ParseExprRest(Node* left) {
  switch (tok_.kind) {
    case TK_EQ: case TK_NE: case TK_LT: case TK_LE: case TK_GT: case TK_GE: case TK_IN: {
      Node* n = NewNode(NK::Binary, tok_);
      n->op = tok_.kind;
      n->text = tok_.text;
      NextToken();
      n->a = left;
      n->b = ParseSimple();
      return n;
    }
    default: return left;
  }
}

// simple = [ "+" | "-" ] term { ("+" | "-" | "or" | "xor") term }
// A chain builds a left-leaning tree (((a + b) + c) + ...), which the code generator walks in a
// loop, so its length is not limited.
Node* Parser::ParseSimple() {
  if (tok_.kind == TK_MINUS || tok_.kind == TK_PLUS) {
    Node* n = NewNode(NK::Unary, tok_);
    n->op = tok_.kind;
    n->text = tok_.text;
    NextToken();
    n->a = ParseTerm();
    return ParseSimpleRest(n);
  }
  return ParseSimpleRest(ParseTerm());
}

Node* Parser::ParseSimpleRest(Node* left) {
  while (tok_.kind == TK_PLUS || tok_.kind == TK_MINUS || tok_.kind == TK_OR || tok_.kind == TK_XOR) {
    Node* n = NewNode(NK::Binary, tok_);
    n->op = tok_.kind;
    n->text = tok_.text;
    NextToken();
    n->a = left;
    n->b = ParseTerm();
    left = n;
  }
  return left;
}

// term = factor { ("*" | "/" | "div" | "mod" | "and" | "shl" | "shr") factor }
Node* Parser::ParseTerm() { return ParseTermRest(ParseFactor()); }

Node* Parser::ParseTermRest(Node* left) {
  while (tok_.kind == TK_STAR || tok_.kind == TK_SLASH || tok_.kind == TK_DIV ||
         tok_.kind == TK_MOD || tok_.kind == TK_AND || tok_.kind == TK_SHL || tok_.kind == TK_SHR) {
    Node* n = NewNode(NK::Binary, tok_);
    n->op = tok_.kind;
    n->text = tok_.text;
    NextToken();
    n->a = left;
    n->b = ParseFactor();
    left = n;
  }
  return left;
}

// factor = integer | number | string | "nil" | "not" factor | "-" factor | "(" expr ")"
//        | set-constructor | designator
// Nesting is counted where it opens: a parenthesis, the arguments of a call, an index, a set
// constructor, the operand of a unary operator each sit one level deeper.
Node* Parser::ParseFactor() {
  Token at = tok_;
  switch (tok_.kind) {
    case TK_INT: {
      Node* n = NewNode(NK::Int, at);
      n->ival = tok_.ival;
      n->text = tok_.text;
      NextToken();
      return n;
    }
    case TK_FLOAT: {
      Node* n = NewNode(NK::Float, at);
      n->fval = tok_.fval;
      n->text = tok_.text;
      NextToken();
      return n;
    }
    case TK_STRING: {
      Node* n = NewNode(NK::Str, at);
      n->text = tok_.text;
      n->upper = tok_.upper;
      NextToken();
      return n;
    }
    case TK_NIL: NextToken(); return NewNode(NK::Nil, at);
    case TK_NOT:
    case TK_MINUS:
    case TK_PLUS: {
      Node* n = NewNode(NK::Unary, at);
      n->op = tok_.kind;
      n->text = tok_.text;
      DepthGuard nest(exprDepth_);
      if (exprDepth_ > kMaxNesting) Abort(at, kTooDeep);
      NextToken();
      n->a = ParseFactor();
      return n;
    }
    case TK_LPAREN: {
      DepthGuard nest(exprDepth_);
      if (exprDepth_ > kMaxNesting) Abort(at, kTooDeep);
      NextToken();
      Node* n = ParseExpr();
      Expect(TK_RPAREN);
      return ParseDesignator(n);
    }
    case TK_IDENT: {
      Node* n = NewNode(NK::Name, at);
      n->text = tok_.text;
      n->upper = tok_.upper;
      NextToken();
      return ParseDesignator(n);
    }
    case TK_LBRACKET: return ParseSetConstructor();
    default: break;
  }
  Abort(tok_, "Expression expected");
}

// set-constructor = "[" [ range { "," range } ] "]"
Node* Parser::ParseSetConstructor() {
  DepthGuard nest(exprDepth_);
  if (exprDepth_ > kMaxNesting) Abort(tok_, kTooDeep);
  Node* n = NewNode(NK::SetCons, tok_);
  Expect(TK_LBRACKET);
  if (Accept(TK_RBRACKET)) return n;
  do {
    n->list.push_back(ParseRange());
  } while (Accept(TK_COMMA));
  Expect(TK_RBRACKET);
  return n;
}

// range = expr [ ".." expr ]        (case labels, set elements)
Node* Parser::ParseRange() {
  Token at = tok_;
  Node* lo = ParseExpr();
  if (!Accept(TK_DOTDOT)) return lo;
  Node* range = NewNode(NK::Binary, at);
  range->op = TK_DOTDOT;
  range->a = lo;
  range->b = ParseExpr();
  return range;
}

// designator = base { "[" expr { "," expr } "]" | "." ident | "(" [ expr { "," expr } ] ")" }
Node* Parser::ParseDesignator(Node* base) {
  for (;;) {
    Token at = tok_;
    if (tok_.kind == TK_LBRACKET || tok_.kind == TK_LPAREN) {
      if (exprDepth_ >= kMaxNesting) Abort(at, kTooDeep);
    }
    DepthGuard nest(exprDepth_);
    if (Accept(TK_LBRACKET)) {
      do {
        Node* n = NewNode(NK::Index, at);
        n->a = base;
        n->b = ParseExpr();
        base = n;
      } while (Accept(TK_COMMA));
      Expect(TK_RBRACKET);
    } else if (Accept(TK_DOT)) {
      Node* n = NewNode(NK::Field, at);
      n->a = base;
      if (tok_.kind != TK_IDENT) Abort(tok_, "Identifier expected");
      n->text = tok_.text;
      n->upper = tok_.upper;
      NextToken();
      base = n;
    } else if (tok_.kind == TK_LPAREN) {
      NextToken();
      Node* n = NewNode(NK::Call, at);
      n->a = base;
      n->flag = true;
      if (tok_.kind != TK_RPAREN) {
        do {
          n->list.push_back(ParseExpr());
        } while (Accept(TK_COMMA));
      }
      Expect(TK_RPAREN);
      base = n;
    } else {
      return base;
    }
  }
}

}  // namespace script
