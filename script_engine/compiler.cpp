// TScriptCompiler: parses, checks and compiles a program, with the host's native declarations.
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

bool TScriptCompiler::AddFunction(const std::string& declaration) {
  TCompileError err;
  ImportDecl decl;
  try {
    Parser parser(declaration, err);
    RoutineDecl* r = parser.ParseHeadingOnly();
    decl.name = r->name;
    decl.upper = r->upper;
    for (const ParamDecl& p : r->params) {
      TScriptType t;
      if (p.mode == ParamMode::Var) {
        err.line = p.line;
        err.col = p.col;
        err.message = "Native routines take no var parameters";
        err.token = p.names[0];
        throw CompileAbort{};
      }
      if (p.type->kind != NK::TypeName || !NativeTypeOf(p.type->upper, t)) {
        err.line = p.type->line;
        err.col = p.type->col;
        err.message = "Type not supported for native routines";
        err.token = p.type->text;
        throw CompileAbort{};
      }
      for (const std::string& name : p.names) {
        decl.params.push_back(t);
        decl.paramNames.push_back(name);
      }
    }
    if (r->isFunction) {
      TScriptType t;
      if (r->result->kind != NK::TypeName || !NativeTypeOf(r->result->upper, t)) {
        err.line = r->result->line;
        err.col = r->result->col;
        err.message = "Type not supported for native routines";
        err.token = r->result->text;
        throw CompileAbort{};
      }
      decl.result = t;
    }
  } catch (const CompileAbort&) {
    err.file = "declaration";
    if (impl_->declError.message.empty()) impl_->declError = err;
    return false;
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
