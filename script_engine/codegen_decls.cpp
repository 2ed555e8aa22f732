// Declarations: scopes and name lookup, types (enumerations, subranges, sets, arrays, records),
// constants, typed constants with their initial values, and variables.
#include "script_engine/codegen_internal.h"

#include <algorithm>

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

std::unordered_map<std::string, Symbol>& CodeGen::CurrentScope() {
  return fs_ == &mainState_ ? globals_ : fs_->scope;
}

// Innermost first: the records of the current routine's with statements, its own names, the names
// of the routines it is declared in, the program's names, the host's declarations.
const Symbol* CodeGen::Lookup(const std::string& upper) const {
  for (size_t i = fs_->withs.size(); i-- > 0;) {
    auto it = fs_->withs[i]->fields.find(upper);
    if (it != fs_->withs[i]->fields.end()) return &it->second;
  }
  for (const FuncState* f = fs_; f && f != &mainState_; f = f->parent) {
    auto it = f->scope.find(upper);
    if (it != f->scope.end()) return &it->second;
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
  if (t->kind == TypeKind::Set) t = SetTypeOf(nullptr);  // every set has the same four plain slots
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
  if (importIndex_.empty()) importIndex_.assign(imports_.size(), -1);
  int& known = importIndex_[static_cast<size_t>(declIndex)];
  if (known >= 0) return known;
  const ImportDecl& d = imports_[static_cast<size_t>(declIndex)];
  TImport imp;
  imp.name = d.upper;
  imp.params = d.params;
  imp.result = d.result;
  prog_.imports.push_back(imp);
  int index = static_cast<int>(prog_.imports.size()) - 1;
  known = index;
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
      const Type* index = nullptr;
      int64_t lo, hi;
      if (n->d->kind == NK::TypeSubrange) {
        Val l = ConstExpr(n->d->a), h = ConstExpr(n->d->b);
        if (!l.type->IsOrdinal()) Error(n->d->a, "Ordinal constant expected");
        if (!h.type->IsOrdinal()) Error(n->d->b, "Ordinal constant expected");
        if (!SameOrdinalFamily(l.type, h.type)) Error(n->d->b, "Incompatible types");
        index = l.type;
        lo = l.k.i;
        hi = h.k.i;
        if (hi < lo) Error(n->d->b, "Invalid array range");
      } else {
        index = ResolveType(n->d);
        if (!index->IsOrdinal()) Error(n->d, "Ordinal type required");
        lo = index->MinValue();
        hi = index->MaxValue();
      }
      const Type* elem = ResolveType(n->c);
      // Unsigned: the bounds may be as far apart as int64 allows.
      uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo);
      if (span >= static_cast<uint64_t>(kMaxFrameSlots) ||
          static_cast<int64_t>(span + 1) * elem->slots > kMaxFrameSlots) {
        Error(n, "Data too large");
      }
      Type* t = types_.NewStaticArray(elem, lo, hi);
      t->index = index;
      return t;
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
    case NK::TypeEnum: {
      // The names become constants of the new type in the scope being declared.
      Type* t = types_.NewEnum(static_cast<int64_t>(n->names.size()));
      auto& scope = CurrentScope();
      for (size_t i = 0; i < n->names.size(); ++i) {
        Symbol sym;
        sym.kind = SymKind::Const;
        sym.type = t;
        sym.value.i = static_cast<int64_t>(i);
        Define(scope, n->names[i], sym, nullptr, n->line, n->col);
      }
      return t;
    }
    case NK::TypeSubrange: {
      Val l = ConstExpr(n->a), h = ConstExpr(n->b);
      if (!l.type->IsOrdinal()) Error(n->a, "Ordinal constant expected");
      if (!h.type->IsOrdinal()) Error(n->b, "Ordinal constant expected");
      if (!SameOrdinalFamily(l.type, h.type)) Error(n->b, "Incompatible types");
      if (h.k.i < l.k.i) Error(n->b, "Invalid subrange");
      const Type* of = l.type->kind == TypeKind::Enum ? l.type->base : l.type;
      return types_.NewSubrange(of, l.k.i, h.k.i);
    }
    case NK::TypeSet: {
      const Type* elem = ResolveType(n->c);
      if (!elem->IsOrdinal() || elem->MinValue() < 0 || elem->MaxValue() > kSetMaxOrdinal) {
        Error(n->c, "Set elements must be ordinal values between 0 and 255",
              n->c->kind == NK::TypeName ? n->c->text : std::string());
      }
      return types_.NewSet(elem);
    }
    default: break;
  }
  Error(n, "Type expected");
}

Val CodeGen::ConstExpr(const Node* n) {
  // Constant expressions are compiled like any other and must fold to a constant; whatever code
  // was emitted on the way is dropped.
  // The kinds of the slots above the temporaries in use are restored too: a slot that only the
  // dropped code used stays free for a variable of any kind (globals are declared between
  // constants).
  size_t codeSize = fs_->fn->code.size();
  Mark m = TempMark();
  size_t tailStart = std::min(fs_->kinds.size(), static_cast<size_t>(m.top));
  std::vector<uint8_t> kindsTail(fs_->kinds.begin() + static_cast<std::ptrdiff_t>(tailStart), fs_->kinds.end());
  Val v = Expr(n);
  fs_->fn->code.resize(codeSize);
  fs_->fn->lines.resize(codeSize);
  fs_->fn->cols.resize(codeSize);
  fs_->temps.resize(m.records);
  fs_->top = m.top;
  fs_->kinds.resize(tailStart);
  fs_->kinds.insert(fs_->kinds.end(), kindsTail.begin(), kindsTail.end());
  if (!v.isConst) Error(n, "Constant expression expected");
  return v;
}

int64_t CodeGen::ConstInt(const Node* n) {
  Val v = ConstExpr(n);
  if (!v.type->IsOrdinal()) Error(n, "Ordinal constant expected");
  return v.k.i;
}

void CodeGen::Declarations(const std::vector<Decl*>& decls, bool global) {
  auto& scope = global ? globals_ : fs_->scope;
  for (const Decl* d : decls) {
    line_ = d->line;
    col_ = d->col;
    switch (d->kind) {
      case DeclKind::Const: {
        Symbol sym;
        if (d->type) {
          const Type* t = ResolveType(d->type);
          // A variant holds its value in an object made at run time: there is no constant of it.
          if (t->kind == TypeKind::DynArray || t->kind == TypeKind::Variant) {
            ErrorAt(d->line, d->col, "Typed constants of this type are not supported", d->names[0]);
          }
          if (t->IsComposite()) {
            // A table: a read-only global holding its initial value.
            std::vector<InitLeaf> leaves;
            CollectInit(d->value, t, 0, leaves);
            sym.kind = SymKind::Var;
            sym.type = t;
            sym.global = true;
            sym.readOnly = true;
            sym.slot = AddGlobal(t, leaves);
            Define(scope, d->names[0], sym, nullptr, d->line, d->col);
            break;
          }
          // A typed constant of a simple type is a constant of that type.
          Val v = ConstExpr(ScalarInit(d->value));
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
        if (d->type->kind == NK::TypeEnum || d->type->kind == NK::TypeSet) types_.Rename(sym.type, d->names[0]);
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
          sym.level = global ? 0 : fs_->level;
          if (d->value) {
            // Initial values are for globals only, which live in the main block's frame.
            std::vector<InitLeaf> leaves;
            CollectInit(d->value, t, 0, leaves);
            sym.slot = AddGlobal(t, leaves);
          } else {
            sym.slot = AddLocal(t);
          }
          Define(scope, name, sym, nullptr, d->line, d->col);
        }
        break;
      }
      case DeclKind::Routine: DeclareRoutine(d); break;
    }
  }
}

// The expression of an initializer for a simple type: (x) is x.
const Node* CodeGen::ScalarInit(const Node* init) {
  while (init->kind == NK::InitList && init->list.size() == 1) init = init->list[0];
  if (init->kind == NK::InitList || init->kind == NK::InitRecord) Error(init, "Constant expression expected");
  return init;
}

// The constants an initializer gives a value of type `t` that starts `offset` slots into its
// variable. They are evaluated where the declaration stands, so that local constants can be used.
void CodeGen::CollectInit(const Node* init, const Type* t, int32_t offset, std::vector<InitLeaf>& out) {
  switch (t->kind) {
    case TypeKind::StaticArray: {
      if (init->kind != NK::InitList) Error(init, "Array constant expected: (value, value, ...)");
      int64_t count = t->hi - t->lo + 1;
      if (static_cast<int64_t>(init->list.size()) != count) {
        Error(init, "Expected " + std::to_string(count) + " array elements, found " +
                        std::to_string(init->list.size()));
      }
      for (size_t i = 0; i < init->list.size(); ++i) {
        CollectInit(init->list[i], t->elem, offset + static_cast<int32_t>(i) * t->elem->slots, out);
      }
      return;
    }
    case TypeKind::Record: {
      if (init->kind != NK::InitRecord) Error(init, "Record constant expected: (field: value; ...)");
      // Fields come in their declared order; those left out are zero.
      size_t next = 0;
      for (size_t i = 0; i < init->list.size(); ++i) {
        std::string upper = Upper(init->names[i]);
        size_t f = next;
        while (f < t->fields.size() && t->fields[f].upper != upper) ++f;
        if (f == t->fields.size()) {
          bool known = false;
          for (const Field& field : t->fields) known = known || field.upper == upper;
          Error(init->list[i], known ? "Record fields must be given in their declared order" : "Unknown record field",
                init->names[i]);
        }
        CollectInit(init->list[i], t->fields[f].type, offset + t->fields[f].offset, out);
        next = f + 1;
      }
      return;
    }
    case TypeKind::Variant: Error(init, "Variants cannot be initialized");
    default: break;
  }
  const Node* e = ScalarInit(init);
  Val v = ConstExpr(e);
  if (t->kind == TypeKind::Set) {
    if (v.type->kind != TypeKind::Set || !SameType(t, v.type)) Incompatible(e, t, v.type);
    v.type = t;
  } else {
    v = Convert(v, t, e);
  }
  out.push_back(InitLeaf{offset, t, v, e});
}

// A global slot run for a value of type `t` with its initial constants. Globals belong to the main
// block's frame, so the initialization is main's code, run before its statements, wherever the
// declaration stands.
int CodeGen::AddGlobal(const Type* t, const std::vector<InitLeaf>& leaves) {
  FuncState* saved = fs_;
  fs_ = &mainState_;
  mainState_.fn = &prog_.functions[0];
  int slot = AddLocal(t);
  // NOTE: no temporaries here: main's later globals take the slots above, and a slot's kind never
  // changes. The values go straight into the global's slots.
  for (const InitLeaf& leaf : leaves) {
    SetPos(leaf.at);
    if (leaf.type->kind == TypeKind::Set) {
      for (int w = 0; w < kSetSlots; ++w) {
        ToReg(ConstInteger(static_cast<int64_t>(leaf.value.k.bits[static_cast<size_t>(w)])),
              slot + leaf.offset + w);
      }
    } else {
      StoreVal(leaf.value, slot + leaf.offset, leaf.type, leaf.at);
    }
  }
  fs_ = saved;
  return slot;
}

}  // namespace script
