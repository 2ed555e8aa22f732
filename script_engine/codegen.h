// The code generator: checks names and types over the syntax tree and emits typed VM code into a
// TProgram. Temporaries live in frame slots whose kind (plain or managed) never changes within a
// routine, so the VM can release a frame from its routine's list of managed slots.
#pragma once

#include <string>
#include <vector>

#include "script_engine/parser.h"
#include "script_engine/program.h"

namespace script {

// A native routine declared through TScriptCompiler::AddFunction.
struct ImportDecl {
  std::string name;   // as written
  std::string upper;  // for lookup and binding
  std::vector<TScriptType> params;
  TScriptType result = TScriptType::Void;
};

// Compiles a parsed program into `out`. On failure records the first error in `error` and
// returns false.
bool GenerateProgram(const ProgramTree& tree, const std::vector<ImportDecl>& imports,
                     TCompileError& error, TProgram& out);

// Maps a type name of a native declaration ("string", "integer", ...) to its TScriptType;
// false for names natives cannot take.
bool NativeTypeOf(const std::string& upperName, TScriptType& out);

}  // namespace script
