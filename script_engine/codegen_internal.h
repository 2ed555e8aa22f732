// The code generator's shared state: the CodeGen class whose members the codegen_*.cpp files
// implement, and the records it passes between them (symbols, evaluated values, locations, loop
// and try contexts). Internal to the script engine.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script_engine/codegen.h"
#include "script_engine/types.h"

namespace script {

// Largest frame (and so largest static array) a routine may have, in slots.
inline constexpr int64_t kMaxFrameSlots = 1 << 20;

struct ConstValue {
  int64_t i = 0;
  double f = 0.0;
  std::string s;
  std::array<uint64_t, 4> bits{};  // a set: bit v of word v / 64 for each member v
};

struct RoutineInfo {
  std::string name;
  int funcIndex = -1;    // script routine
  int importIndex = -1;  // native routine (index into the import declarations)
  std::vector<const Type*> paramTypes;
  std::vector<ParamMode> modes;
  std::vector<std::string> paramNames;
  std::vector<int32_t> offsets;  // slot of each parameter in the callee frame
  int32_t paramSlots = 0;
  const Type* result = nullptr;  // tVoid for procedures
  bool defined = false;
  const RoutineDecl* decl = nullptr;
  // 1 for a routine of the program, one more for each routine it is declared in. Routines at level
  // 2 and deeper take a reference to their enclosing routine's frame (the static link) in slot 0.
  int level = 1;
};

// Field: a field of a record opened by `with` (its with scope in `with`, its offset in `slot`).
enum class SymKind : uint8_t { Const, Var, TypeName, Routine, Field };

struct Symbol {
  SymKind kind = SymKind::Var;
  const Type* type = nullptr;
  ConstValue value;
  bool global = false;
  int32_t slot = 0;
  bool byRef = false;     // var parameter: the slot holds a reference
  bool readOnly = false;  // const parameter, typed constant, for-loop variable
  RoutineInfo* routine = nullptr;
  int level = 0;          // Var: the level of the routine whose frame holds it (0: global)
  int with = -1;          // Field: index of the with scope in the current routine
};

// An evaluated expression: a constant or a register.
struct Val {
  const Type* type = nullptr;
  bool isConst = false;
  ConstValue k;
  int reg = -1;
};

// A value held in a register.
inline Val InReg(const Type* type, int reg) {
  Val v;
  v.type = type;
  v.reg = reg;
  return v;
}

// Where a variable lives.
struct Loc {
  enum Kind { Local, Global, Ref, DynElem } kind = Local;
  const Type* type = nullptr;
  int reg = 0;  // Local: slot; Global: global slot; Ref: register with the reference; DynElem: array
  int idx = 0;  // DynElem: index register
  bool readOnly = false;
};

struct TempRecord {
  int start;
  int count;
  bool consumed;  // handed to a callee that releases it
};

struct Mark {
  size_t records;
  int top;
};

struct LoopCtx {
  std::vector<int> breaks;
  std::vector<int> continues;
  size_t tryDepth;
};

// A jump out of a try-finally body, finished when the finally block's table is written.
struct PendingExit {
  int kind;     // 0 break, 1 continue, 2 exit
  size_t loop;  // loop index for break/continue
  int jump;     // the jump into the finally block, patched when the block is placed
};

struct TryCtx {
  bool isFinally;
  int pending;  // state slots of a finally
  size_t loopDepth;
  std::vector<PendingExit> exits;
};

// One constant of a typed constant's or initialized variable's value: its slot offset in the
// variable, its type, the value and where it was written.
struct InitLeaf {
  int32_t offset;
  const Type* type;
  Val value;
  const Node* at;
};

// The record of a `with` statement: where it lives and its fields as names.
struct WithScope {
  Loc loc;
  std::unordered_map<std::string, Symbol> fields;
};

struct FuncState {
  TFunction* fn = nullptr;
  int funcIndex = 0;
  RoutineInfo* routine = nullptr;  // null for the main block
  FuncState* parent = nullptr;     // the routine this one is declared in (main for level 1)
  int level = 0;                   // 0 main, 1 routines of the program, 2+ nested routines
  std::unordered_map<std::string, Symbol> scope;  // parameters and local names (not main's)
  // Innermost last; each scope stays where it is while more are opened (symbols point into it).
  std::vector<std::unique_ptr<WithScope>> withs;
  std::vector<uint8_t> kinds;      // 0 plain, 1 managed, 2 not yet used
  int localsEnd = 0;
  int top = 0;
  std::vector<TempRecord> temps;
  std::vector<LoopCtx> loops;
  std::vector<TryCtx> tries;
  std::vector<int> exitJumps;
  int resultSlot = -1;
};

inline bool FitsImm(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

inline int64_t WrapInt(int64_t v, IntKind ik) {
  switch (ik) {
    case IntKind::S8: return static_cast<int8_t>(static_cast<uint8_t>(v));
    case IntKind::U8: return static_cast<uint8_t>(v);
    case IntKind::S16: return static_cast<int16_t>(static_cast<uint16_t>(v));
    case IntKind::U16: return static_cast<uint16_t>(v);
    case IntKind::S32: return static_cast<int32_t>(static_cast<uint32_t>(v));
    case IntKind::U32: return static_cast<uint32_t>(v);
    case IntKind::S64: return v;
  }
  return v;
}

inline std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return u;
}

class CodeGen {
 public:
  CodeGen(const std::vector<ImportDecl>& imports, TCompileError& error, TProgram& out)
      : imports_(imports), error_(error), prog_(out) {}

  void Generate(const ProgramTree& tree);

 private:
  // ---- codegen.cpp: errors, emission, frame slots
  [[noreturn]] void Error(const Node* at, const std::string& message, const std::string& token = {});
  [[noreturn]] void ErrorAt(int line, int col, const std::string& message, const std::string& token);
  int Emit(Opcode op, int32_t a = 0, int32_t b = 0, int32_t c = 0);
  int Here() const { return static_cast<int>(fs_->fn->code.size()); }
  void PatchTo(int at, int target);
  void PatchList(const std::vector<int>& list, int target) {
    for (int at : list) PatchTo(at, target);
  }
  void SetPos(const Node* n) {
    if (n) {
      line_ = n->line;
      col_ = n->col;
    }
  }
  int AllocRun(const std::vector<uint8_t>& kinds);
  int AllocTemp(const Type* t);
  Mark TempMark() const { return Mark{fs_->temps.size(), fs_->top}; }
  void TempRelease(const Mark& m);
  bool IsTemp(int reg) const { return reg >= fs_->localsEnd; }
  int AddLocal(const Type* t);
  void SetKinds(int start, const std::vector<uint8_t>& kinds);

  // ---- codegen_decls.cpp: scopes, types, constants, variables
  void Declarations(const std::vector<Decl*>& decls, bool global);
  std::unordered_map<std::string, Symbol>& CurrentScope();
  const Node* ScalarInit(const Node* init);
  void CollectInit(const Node* init, const Type* t, int32_t offset, std::vector<InitLeaf>& out);
  int AddGlobal(const Type* t, const std::vector<InitLeaf>& leaves);
  const Type* ResolveType(const Node* n);
  int64_t ConstInt(const Node* n);
  Val ConstExpr(const Node* n);
  void Define(std::unordered_map<std::string, Symbol>& scope, const std::string& name,
              const Symbol& sym, const Node* at, int line, int col);
  const Symbol* Lookup(const std::string& upper) const;
  const Symbol* ImportSymbol(const std::string& upper) const;
  int LayoutOf(const Type* t);
  int ImportIndex(int declIndex);

  // ---- codegen_routines.cpp: routine declarations and bodies, calls
  RoutineInfo* MakeRoutineInfo(const RoutineDecl* r, int level);
  void DeclareRoutine(const Decl* d);
  void RefreshFunctions();
  void CompileRoutine(RoutineInfo* info, const RoutineDecl* r);
  int FrameRef(int level);
  bool IsOwnSlot(const Symbol* s) const;
  const FuncState* ResultOwner(const RoutineInfo* routine) const;
  Loc ResultLoc(const FuncState* owner);
  static void ReturnJumps(TFunction& fn);
  Val CallExpr(const Node* n, int target, const Type* targetType);
  void ArgInto(const Node* arg, int slot, const Type* type, ParamMode mode, const Node* at);
  Val CallRoutine(RoutineInfo* r, const std::vector<Node*>& args, const Node* at, int target,
                  const Type* targetType);
  Val CallBuiltin(int index, const std::vector<Node*>& args, const Node* at, int target,
                  const Type* targetType);

  // ---- codegen_stmts.cpp: statements
  void Stmt(const Node* n);
  void Assign(const Node* n);
  bool AppendInPlace(const std::string& upper, int slot, const Node* rhs);
  bool IsPure(const Node* n) const;
  bool Mentions(const Node* n, const std::string& upper) const;
  void If(const Node* n);
  void CloseLoop(int continueTarget);
  void While(const Node* n);
  void Repeat(const Node* n);
  void For(const Node* n);
  void Case(const Node* n);
  void With(const Node* n);
  void StoreResult(const Node* value, const Node* at);
  void ExitStmt(const Node* n);

  // ---- codegen_exceptions.cpp: try blocks and the jumps that leave them
  void TryExcept(const Node* n);
  void TryFinally(const Node* n);
  void JumpOut(int kind, size_t loop, size_t tryLevel, const Node* at);

  // ---- codegen_convert.cpp: values into registers, conversions, type casts
  const Type* TypeOfNative(TScriptType t) const;
  Val ConstInteger(int64_t v) const;
  int Dest(const Type* t, int target, const Type* targetType);
  int ToReg(const Val& v, int target = -1);
  Val Convert(Val v, const Type* to, const Node* at);
  [[noreturn]] void Incompatible(const Node* at, const Type* to, const Type* from) {
    Error(at, "Incompatible types: '" + to->name + "' and '" + from->name + "'");
  }
  void StoreVal(Val v, int dst, const Type* dstType, const Node* at);
  void ExprInto(const Node* n, int dst, const Type* dstType);
  bool TypeCast(const Type* t, const std::vector<Node*>& args, const Node* at, Val& out);

  // ---- codegen_exprs.cpp: expressions and conditions
  Val Expr(const Node* n, int target = -1, const Type* targetType = nullptr);
  Val NameExpr(const Node* n, int target, const Type* targetType);
  Val Unary(const Node* n, int target, const Type* targetType);
  Val FoldBinary(TokenKind op, const Val& a, const Val& b, const Type* rt, const Node* n);
  Val Binary(const Node* n, int target, const Type* targetType);
  Val BinaryStep(const Node* n, const Val& a, bool aIsBool, int target, const Type* targetType);
  Val Compare(const Node* n, int target, const Type* targetType);
  bool IsBoolExpr(const Node* n) const;
  const Type* StaticType(const Node* n) const;
  void Cond(const Node* n, bool jumpIf, std::vector<int>& jumps);

  // ---- codegen_sets.cpp: set constructors, operators, comparisons and `in`
  const Type* SetTypeOf(const Type* elem);
  int SetConstIndex(const std::array<uint64_t, 4>& bits);
  int SetRef(const Val& v);
  Val SetConstructor(const Node* n);
  Val SetOperator(const Node* n, const Val& a, const Val& b, int dstRef);
  Val SetCompare(const Node* n, const Val& a, const Val& b, int target, const Type* targetType);
  Val InExpr(const Node* n, int target, const Type* targetType);
  void SetInclude(const std::vector<Node*>& args, const Node* at, bool include);

  // ---- codegen_vars.cpp: variables
  Loc LValue(const Node* n);
  Loc VarLoc(const Symbol& sym);
  Loc WithFieldLoc(const Symbol& sym);
  Val ReadLoc(const Loc& loc, int target, const Type* targetType);
  void StoreLoc(const Loc& loc, Val v, const Node* at);
  int RefOf(const Loc& loc);
  void CopyComposite(const Loc& dst, const Node* src, const Node* at);
  Val CompositeSource(const Node* src);
  void StoreComposite(const Loc& dst, const Val& v, const Type* srcStatic, const Node* at);

  // ---- codegen_intrinsics.cpp: standard routines expanded inline
  bool Intrinsic(const std::string& name, const std::vector<Node*>& args, const Node* at,
                 int target, const Type* targetType, Val& out);

  const std::vector<ImportDecl>& imports_;
  TCompileError& error_;
  TProgram& prog_;
  TypeTable types_;
  std::unordered_map<std::string, Symbol> globals_;
  mutable std::deque<RoutineInfo> routines_;
  // Symbols of the host's declarations, made when first used (see ImportSymbol).
  mutable std::unordered_map<std::string, Symbol> importSymbols_;
  std::unordered_map<const Type*, int> layouts_;
  std::vector<int> importIndex_;  // import declaration -> program import (-1: not used yet)
  std::unordered_map<std::string, int> stringConsts_;
  std::unordered_map<std::string, int> setConsts_;          // the 32 bytes of a set -> int constant
  std::unordered_map<const Type*, const Type*> setTypes_;   // element family -> its set type
  // Set while a reference is taken that must outlive its expression (var arguments, with): arrays
  // held in variables are then held in temporaries of their own on the way (see LValue).
  bool pinArrays_ = false;
  FuncState* fs_ = nullptr;
  FuncState mainState_;
  int line_ = 1;
  int col_ = 1;
};

}  // namespace script
