// Declarations: scopes and name lookup, types, constants and variables.
#include "script_engine/codegen_internal.h"

namespace script {

void CodeGen::Define(std::unordered_map<std::string, Symbol>& scope, const std::string& name,
                     const Symbol& sym, const Node* at, int line, int col) {
  std::string u = Upper(name);
  if (scope.count(u)) {
    if (at) Error(at, "Duplicate identifier", name);
    ErrorAt(line, col, "Duplicate identifier", name);
  }
  scope[u] = sym;
}

const Symbol* CodeGen::Lookup(const std::string& upper) const {
  if (fs_ != &mainState_) {
    auto it = locals_.find(upper);
    if (it != locals_.end()) return &it->second;
  }
  auto it = globals_.find(upper);
  if (it != globals_.end()) return &it->second;
  return ImportSymbol(upper);
}

// The host's declarations form the outer scope: the program's own names hide them. A symbol is
// made the first time a declaration is used, since a script uses few of the host's routines.
const Symbol* CodeGen::ImportSymbol(const std::string& upper) const {
  auto known = importSymbols_.find(upper);
  if (known != importSymbols_.end()) return &known->second;
  for (size_t i = 0; i < imports_.size(); ++i) {
    const ImportDecl& d = imports_[i];
    if (d.upper != upper) continue;
    routines_.emplace_back();
    RoutineInfo* info = &routines_.back();
    info->name = d.name;
    info->importIndex = static_cast<int>(i);
    info->defined = true;
    int32_t offset = 0;
    for (TScriptType t : d.params) {
      info->paramTypes.push_back(TypeOfNative(t));
      info->modes.push_back(ParamMode::Value);
      info->paramNames.emplace_back();
      info->offsets.push_back(offset++);
    }
    info->paramSlots = offset;
    info->result = d.result == TScriptType::Void ? types_.tVoid : TypeOfNative(d.result);
    Symbol sym;
    sym.kind = SymKind::Routine;
    sym.routine = info;
    sym.type = info->result;
    return &(importSymbols_[upper] = sym);
  }
  return nullptr;
}

int CodeGen::LayoutOf(const Type* t) {
  auto it = layouts_.find(t);
  if (it != layouts_.end()) return it->second;
  TLayout layout;
  layout.slots = t->slots;
  for (size_t i = 0; i < t->kinds.size(); ++i) {
    if (t->kinds[i] == 1) layout.managed.push_back(static_cast<int32_t>(i));
  }
  prog_.layouts.push_back(std::move(layout));
  int index = static_cast<int>(prog_.layouts.size()) - 1;
  layouts_[t] = index;
  return index;
}

int CodeGen::ImportIndex(int declIndex) {
  auto it = importIndex_.find(declIndex);
  if (it != importIndex_.end()) return it->second;
  const ImportDecl& d = imports_[static_cast<size_t>(declIndex)];
  TImport imp;
  imp.name = d.upper;
  imp.params = d.params;
  imp.result = d.result;
  prog_.imports.push_back(imp);
  int index = static_cast<int>(prog_.imports.size()) - 1;
  importIndex_[declIndex] = index;
  return index;
}

const Type* CodeGen::ResolveType(const Node* n) {
  switch (n->kind) {
    case NK::TypeName: {
      if (const Type* t = types_.Builtin(n->upper)) return t;
      const Symbol* s = Lookup(n->upper);
      if (!s) Error(n, "Unknown type", n->text);
      if (s->kind != SymKind::TypeName) Error(n, "Type expected", n->text);
      return s->type;
    }
    case NK::TypeArray: {
      int64_t lo = ConstInt(n->a), hi = ConstInt(n->b);
      const Type* elem = ResolveType(n->c);
      if (hi < lo) Error(n->b, "Invalid array range");
      if (hi - lo + 1 > kMaxFrameSlots || (hi - lo + 1) * elem->slots > kMaxFrameSlots) {
        Error(n, "Data too large");
      }
      return types_.NewStaticArray(elem, lo, hi);
    }
    case NK::TypeDynArray: return types_.NewDynArray(ResolveType(n->c));
    case NK::TypeRecord: {
      Type* rec = types_.NewRecord();
      std::unordered_map<std::string, bool> seen;
      for (const Node* f : n->list) {
        const Type* ft = ResolveType(f->c);
        for (const std::string& name : f->names) {
          if (seen[Upper(name)]) Error(f, "Duplicate identifier", name);
          seen[Upper(name)] = true;
          types_.AddField(rec, name, ft);
          if (rec->slots > kMaxFrameSlots) Error(f, "Data too large");
        }
      }
      if (rec->slots == 0) Error(n, "Empty record");
      return rec;
    }
    default: break;
  }
  Error(n, "Type expected");
}

Val CodeGen::ConstExpr(const Node* n) {
  // Constant expressions are compiled like any other and must fold to a constant; whatever code
  // was emitted on the way is dropped.
  size_t codeSize = fs_->fn->code.size();
  Mark m = TempMark();
  Val v = Expr(n);
  fs_->fn->code.resize(codeSize);
  fs_->fn->lines.resize(codeSize);
  fs_->fn->cols.resize(codeSize);
  fs_->temps.resize(m.records);
  fs_->top = m.top;
  if (!v.isConst) Error(n, "Constant expression expected");
  return v;
}

int64_t CodeGen::ConstInt(const Node* n) {
  Val v = ConstExpr(n);
  if (!v.type->IsOrdinal()) Error(n, "Ordinal constant expected");
  return v.k.i;
}

void CodeGen::Declarations(const std::vector<Decl*>& decls, bool global) {
  auto& scope = global ? globals_ : locals_;
  for (const Decl* d : decls) {
    line_ = d->line;
    col_ = d->col;
    switch (d->kind) {
      case DeclKind::Const: {
        Symbol sym;
        if (d->type) {
          // A typed constant is a read-only variable with an initial value.
          const Type* t = ResolveType(d->type);
          if (t->IsComposite() || t->kind == TypeKind::DynArray) {
            ErrorAt(d->line, d->col, "Typed constants of this type are not supported", d->names[0]);
          }
          Val v = ConstExpr(d->value);
          v = Convert(v, t, d->value);
          sym.kind = SymKind::Const;
          sym.type = t;
          sym.value = v.k;
        } else {
          Val v = ConstExpr(d->value);
          sym.kind = SymKind::Const;
          sym.type = v.type;
          sym.value = v.k;
        }
        Define(scope, d->names[0], sym, nullptr, d->line, d->col);
        break;
      }
      case DeclKind::Type: {
        Symbol sym;
        sym.kind = SymKind::TypeName;
        sym.type = ResolveType(d->type);
        Define(scope, d->names[0], sym, nullptr, d->line, d->col);
        break;
      }
      case DeclKind::Var: {
        const Type* t = ResolveType(d->type);
        for (const std::string& name : d->names) {
          Symbol sym;
          sym.kind = SymKind::Var;
          sym.type = t;
          sym.global = global;
          sym.slot = AddLocal(t);
          Define(scope, name, sym, nullptr, d->line, d->col);
          if (d->value) {
            if (t->IsComposite()) ErrorAt(d->line, d->col, "Cannot initialize this type", name);
            Val v = ConstExpr(d->value);
            StoreVal(v, sym.slot, t, d->value);
          }
        }
        break;
      }
      case DeclKind::Routine: DeclareRoutine(d); break;
    }
  }
}

}  // namespace script
