// TScriptCompiler: parses, checks and compiles a program, with the host's native declarations.
#include <string_view>
#include <utility>

#include "script_engine/codegen.h"
#include "script_engine/loader.h"
#include "script_engine/parser.h"
#include "script_engine/script.h"

namespace script {

struct TScriptCompiler::Impl {
  std::string fileName = "script";
  std::vector<ImportDecl> imports;
  TCompileError error;
  TCompileError declError;  // first failed AddFunction of this compile
  std::string output;
  TProgram program;
  bool compiling = false;
};

std::string TCompileError::Text() const {
  std::string text = file + ":" + std::to_string(line) + ":" + std::to_string(col) + ": " + message;
  if (!token.empty()) text += " near '" + token + "'";
  return text;
}

TScriptCompiler::TScriptCompiler() : impl_(std::make_unique<Impl>()) {}
TScriptCompiler::~TScriptCompiler() = default;

void TScriptCompiler::SetFileName(const std::string& name) { impl_->fileName = name; }

namespace {

// A quick reader for the plain headings hosts declare ("function GetInt( IntName: string ):
// integer"): identifiers, blanks and the punctuation of a heading only. Anything else (comments,
// var parameters, errors) is left to the full parser, which also words the error.
class HeadingScanner {
 public:
  explicit HeadingScanner(std::string_view text) : t_(text) {}

  bool Scan(ImportDecl& out) {
    std::string_view kw = Ident();
    bool isFunction;
    if (Is(kw, "FUNCTION")) {
      isFunction = true;
    } else if (Is(kw, "PROCEDURE")) {
      isFunction = false;
    } else {
      return false;
    }
    std::string_view name = Ident();
    if (name.empty()) return false;
    out.name.assign(name);
    out.upper = Upper(name);
    if (Punct('(') && !Punct(')')) {
      for (;;) {
        std::string_view first = Ident();
        if (Is(first, "CONST")) first = Ident();
        if (first.empty() || Is(first, "VAR") || Is(first, "OUT")) return false;
        size_t count = 1;
        while (Punct(',')) {
          if (Ident().empty()) return false;
          ++count;
        }
        TScriptType type;
        if (!Punct(':') || !NativeTypeOf(Upper(Ident()), type)) return false;
        out.params.insert(out.params.end(), count, type);
        if (Punct(')')) break;
        if (!Punct(';')) return false;
      }
    }
    if (isFunction) {
      TScriptType type;
      if (!Punct(':') || !NativeTypeOf(Upper(Ident()), type)) return false;
      out.result = type;
    }
    Punct(';');
    Skip();
    return pos_ == t_.size();
  }

 private:
  void Skip() {
    while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\r' || t_[pos_] == '\n')) ++pos_;
  }
  bool Punct(char c) {
    Skip();
    if (pos_ < t_.size() && t_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::string_view Ident() {
    Skip();
    size_t start = pos_;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (pos_ < t_.size() && letter(t_[pos_])) {
      while (pos_ < t_.size() && (letter(t_[pos_]) || (t_[pos_] >= '0' && t_[pos_] <= '9'))) ++pos_;
    }
    return t_.substr(start, pos_ - start);
  }
  static std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return u;
  }
  static bool Is(std::string_view word, const char* upper) {
    size_t n = std::char_traits<char>::length(upper);
    if (word.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
      char c = word[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != upper[i]) return false;
    }
    return true;
  }

  std::string_view t_;
  size_t pos_ = 0;
};

// Reads a heading with the full parser, which words the error of a heading it refuses.
bool ParseDeclaration(const std::string& declaration, ImportDecl& decl, TCompileError& err) {
  auto refuse = [&err](int line, int col, const char* message, const std::string& token) {
    err.line = line;
    err.col = col;
    err.message = message;
    err.token = token;
    return false;
  };
  try {
    Parser parser(declaration, err);
    RoutineDecl* r = parser.ParseHeadingOnly();
    decl.name = r->name;
    decl.upper = r->upper;
    for (const ParamDecl& p : r->params) {
      TScriptType t;
      if (p.mode == ParamMode::Var) {
        return refuse(p.line, p.col, "Native routines take no var parameters", p.names[0]);
      }
      if (p.type->kind != NK::TypeName || !NativeTypeOf(p.type->upper, t)) {
        return refuse(p.type->line, p.type->col, "Type not supported for native routines", p.type->text);
      }
      decl.params.insert(decl.params.end(), p.names.size(), t);
    }
    if (r->isFunction) {
      TScriptType t;
      if (r->result->kind != NK::TypeName || !NativeTypeOf(r->result->upper, t)) {
        return refuse(r->result->line, r->result->col, "Type not supported for native routines", r->result->text);
      }
      decl.result = t;
    }
  } catch (const CompileAbort&) {
    return false;
  }
  return true;
}

}  // namespace

bool TScriptCompiler::AddFunction(const std::string& declaration) {
  ImportDecl decl;
  if (!HeadingScanner(declaration).Scan(decl)) {
    decl = ImportDecl();
    TCompileError err;
    if (!ParseDeclaration(declaration, decl, err)) {
      err.file = "declaration";
      if (impl_->declError.message.empty()) impl_->declError = err;
      return false;
    }
  }
  for (ImportDecl& existing : impl_->imports) {
    if (existing.upper == decl.upper) {
      existing = std::move(decl);
      return true;
    }
  }
  impl_->imports.push_back(std::move(decl));
  return true;
}

bool TScriptCompiler::Compile(const std::string& source) {
  Impl& c = *impl_;
  c.error = TCompileError();
  c.declError = TCompileError();
  c.output.clear();
  c.program = TProgram();
  c.imports.clear();
  c.imports.reserve(32);
  c.error.file = c.fileName;
  auto fail = [&]() {
    c.error.file = c.fileName;
    c.program = TProgram();
    return false;
  };
  if (OnUses && !OnUses(*this, "SYSTEM")) {
    c.error.line = 1;
    c.error.col = 1;
    c.error.message = "Unit refused";
    c.error.token = "SYSTEM";
    return fail();
  }
  if (!c.declError.message.empty()) {
    c.error = c.declError;
    c.error.message = "Invalid native declaration (" + c.declError.Text() + ")";
    c.error.line = 1;
    c.error.col = 1;
    c.error.token.clear();
    return fail();
  }
  ProgramTree tree;
  // The parser owns the tree's nodes, so it lives until code generation is done.
  std::unique_ptr<Parser> parser;
  try {
    parser = std::make_unique<Parser>(source, c.error);
    tree = parser->ParseProgram();
  } catch (const CompileAbort&) {
    return fail();
  }
  for (const auto& [unit, token] : tree.uses) {
    if (!OnUses || !OnUses(*this, unit)) {
      c.error.line = token.line;
      c.error.col = token.col;
      c.error.message = "Unknown unit";
      c.error.token = token.text;
      return fail();
    }
  }
  if (!c.declError.message.empty()) {
    c.error.line = 1;
    c.error.col = 1;
    c.error.message = "Invalid native declaration (" + c.declError.Text() + ")";
    c.error.token.clear();
    return fail();
  }
  if (!GenerateProgram(tree, c.imports, c.error, c.program)) return fail();
  c.output = WriteProgram(c.program);
  return true;
}

std::string TScriptCompiler::GetOutput() const { return impl_->output; }

const TCompileError& TScriptCompiler::Error() const { return impl_->error; }

std::string TScriptCompiler::ListCode() const { return script::ListCode(impl_->program); }

}  // namespace script
