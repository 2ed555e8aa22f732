// Values and conversions: constants into registers, destination registers, implicit
// conversions between types and explicit type casts.
#include "script_engine/codegen_internal.h"

#include "script_engine/vm.h"

namespace script {

const Type* CodeGen::TypeOfNative(TScriptType t) const {
  switch (t) {
    case TScriptType::Integer: return types_.tInteger;
    case TScriptType::Cardinal: return types_.tCardinal;
    case TScriptType::Word: return types_.tWord;
    case TScriptType::Byte: return types_.tByte;
    case TScriptType::ShortInt: return types_.tShortInt;
    case TScriptType::SmallInt: return types_.tSmallInt;
    case TScriptType::Int64: return types_.tInt64;
    case TScriptType::Single: return types_.tSingle;
    case TScriptType::Double: return types_.tDouble;
    case TScriptType::Boolean: return types_.tBoolean;
    case TScriptType::Char: return types_.tChar;
    case TScriptType::String: return types_.tString;
    case TScriptType::Void: break;
  }
  return types_.tVoid;
}

Val CodeGen::ConstInteger(int64_t v) const {
  Val r;
  r.isConst = true;
  r.k.i = v;
  r.type = FitsImm(v) ? types_.tInteger : types_.tInt64;
  return r;
}

int CodeGen::Dest(const Type* t, int target, const Type* targetType) {
  if (target >= 0 && targetType) {
    bool ok = false;
    if (t->kind == TypeKind::Integer && targetType->kind == TypeKind::Integer) ok = true;
    if (t->kind == targetType->kind && t->kind != TypeKind::Integer && !t->IsComposite() &&
        t->kind != TypeKind::DynArray) {
      ok = true;
    }
    if (t->kind == TypeKind::DynArray && SameType(t, targetType)) ok = true;
    if (ok) return target;
  }
  return AllocTemp(t);
}

int CodeGen::ToReg(const Val& v, int target) {
  if (!v.isConst) return v.reg;
  const Type* t = v.type;
  int r = target >= 0 ? target : AllocTemp(t->kind == TypeKind::Nil ? types_.tVariant : t);
  switch (t->kind) {
    case TypeKind::Integer:
    case TypeKind::Boolean:
    case TypeKind::Char:
    case TypeKind::Enum:
      if (FitsImm(v.k.i)) {
        Emit(OP_LOADI, r, static_cast<int32_t>(v.k.i));
      } else {
        prog_.ints.push_back(v.k.i);
        Emit(OP_LOADK, r, static_cast<int32_t>(prog_.ints.size() - 1));
      }
      break;
    case TypeKind::Float:
      prog_.floats.push_back(v.k.f);
      Emit(OP_LOADF, r, static_cast<int32_t>(prog_.floats.size() - 1));
      break;
    case TypeKind::String: {
      if (v.k.s.empty()) {
        Emit(OP_CLEAR, r);
        break;
      }
      auto it = stringConsts_.find(v.k.s);
      int index;
      if (it == stringConsts_.end()) {
        prog_.strings.push_back(v.k.s);
        index = static_cast<int>(prog_.strings.size() - 1);
        stringConsts_[v.k.s] = index;
      } else {
        index = it->second;
      }
      Emit(OP_LOADS, r, index);
      break;
    }
    case TypeKind::Nil:
    case TypeKind::DynArray: Emit(OP_CLEAR, r); break;  // nil, also once converted to an array type
    default: Error(nullptr, "Constant expected");
  }
  return r;
}

// Converts a value to a type, or fails with "Incompatible types".
Val CodeGen::Convert(Val v, const Type* to, const Node* at) {
  const Type* from = v.type;
  if (SameType(from, to) && !(to->kind == TypeKind::Float && to->single != from->single)) {
    v.type = to;
    return v;
  }
  switch (to->kind) {
    case TypeKind::Integer:
      if (from->kind == TypeKind::Integer) {
        if (v.isConst) {
          v.k.i = WrapInt(v.k.i, to->ik);
          v.type = to;
          return v;
        }
        bool needWrap = to->MinValue() > from->MinValue() || to->MaxValue() < from->MaxValue();
        if (!needWrap) {
          v.type = to;
          return v;
        }
        static const Opcode ops[] = {OP_CVT_S8, OP_CVT_U8, OP_CVT_S16, OP_CVT_U16, OP_CVT_S32, OP_CVT_U32, OP_NOP};
        int r = AllocTemp(to);
        Emit(ops[static_cast<int>(to->ik)], r, v.reg);
        return InReg(to, r);
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, SK_INT);
        return Convert(InReg(types_.tInt64, r), to, at);
      }
      Incompatible(at, to, from);
    case TypeKind::Float:
      if (from->kind == TypeKind::Integer || from->kind == TypeKind::Float) {
        if (v.isConst) {
          double f = from->kind == TypeKind::Integer ? static_cast<double>(v.k.i) : v.k.f;
          if (to->single) f = static_cast<double>(static_cast<float>(f));
          v.k.f = f;
          v.type = to;
          return v;
        }
        int r = AllocTemp(to);
        if (from->kind == TypeKind::Integer) {
          Emit(OP_I2F, r, v.reg);
          if (to->single) Emit(OP_F2S, r, r);
        } else {
          Emit(to->single ? OP_F2S : OP_MOV, r, v.reg);
        }
        return InReg(to, r);
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, to->single ? SK_SINGLE : SK_FLOAT);
        return InReg(to, r);
      }
      Incompatible(at, to, from);
    case TypeKind::Boolean:
    case TypeKind::Char:
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, to->kind == TypeKind::Boolean ? SK_BOOL : SK_CHAR);
        return InReg(to, r);
      }
      Incompatible(at, to, from);
    case TypeKind::String:
      if (from->kind == TypeKind::Char) {
        if (v.isConst) {
          v.k.s = std::string(1, static_cast<char>(v.k.i));
          v.type = to;
          return v;
        }
        int r = AllocTemp(to);
        Emit(OP_CHRSTR, r, v.reg);
        return InReg(to, r);
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVARS, r, v.reg);
        return InReg(to, r);
      }
      Incompatible(at, to, from);
    case TypeKind::Variant: {
      int code = 0;
      if (from->kind == TypeKind::String) {
        int src = ToReg(v);
        int r = AllocTemp(to);
        Emit(OP_TOVARS, r, src);
        return InReg(to, r);
      }
      switch (from->kind) {
        case TypeKind::Integer:
          switch (from->ik) {
            case IntKind::S8: code = varShortInt; break;
            case IntKind::U8: code = varByte; break;
            case IntKind::S16: code = varSmallint; break;
            case IntKind::U16: code = varWord; break;
            case IntKind::S32: code = varInteger; break;
            case IntKind::U32: code = varLongWord; break;
            default: code = varInt64; break;
          }
          break;
        case TypeKind::Float: code = from->single ? varSingle : varDouble; break;
        case TypeKind::Boolean: code = varBoolean; break;
        case TypeKind::Char: code = varChar; break;
        default: Incompatible(at, to, from);
      }
      int src = ToReg(v);
      int r = AllocTemp(to);
      Emit(OP_TOVAR, r, src, code);
      return InReg(to, r);
    }
    case TypeKind::DynArray:
      if (from->kind == TypeKind::Nil) {
        v.type = to;
        return v;
      }
      Incompatible(at, to, from);
    default: Incompatible(at, to, from);
  }
}

// Stores a value into a frame register of the given type (converting it).
void CodeGen::StoreVal(Val v, int dst, const Type* dstType, const Node* at) {
  v = Convert(v, dstType, at);
  if (v.isConst) {
    if (dstType->kind == TypeKind::DynArray) {
      Emit(OP_CLEAR, dst);
      return;
    }
    ToReg(v, dst);
    return;
  }
  if (v.reg == dst) return;
  Emit(dstType->IsManaged() ? OP_MOVM : OP_MOV, dst, v.reg);
}

void CodeGen::ExprInto(const Node* n, int dst, const Type* dstType) {
  Mark m = TempMark();
  Val v = Expr(n, dst, dstType);
  StoreVal(v, dst, dstType, n);
  TempRelease(m);
}

bool CodeGen::TypeCast(const Type* t, const std::vector<Node*>& args, const Node* at, Val& out) {
  if (args.size() != 1) Error(at, "Invalid type cast", at->text);
  Val v = Expr(args[0]);
  const Type* from = v.type;
  if (t->IsOrdinal() && from->IsOrdinal()) {
    // Ordinal casts keep the value and wrap it to the new type.
    Val asInt = v;
    asInt.type = from->kind == TypeKind::Integer ? from : types_.tInteger;
    if (t->kind == TypeKind::Integer) {
      out = Convert(asInt, t, at);
      return true;
    }
    if (t->kind == TypeKind::Enum) {
      // TDir(2): the value as it is, without a range check (as Ord goes the other way).
      asInt.type = t;
      out = asInt;
      return true;
    }
    Val w = Convert(asInt, types_.tByte, at);
    if (t->kind == TypeKind::Boolean && !w.isConst) {
      int zero = AllocTemp(types_.tInteger);
      Emit(OP_LOADI, zero, 0);
      int r = AllocTemp(t);
      Emit(OP_NE, r, w.reg, zero);
      w.reg = r;
    } else if (t->kind == TypeKind::Boolean) {
      w.k.i = w.k.i != 0;
    }
    w.type = t;
    out = w;
    return true;
  }
  if (t->kind == TypeKind::Float && from->IsNumeric()) {
    out = Convert(v, t, at);
    return true;
  }
  if (t->kind == TypeKind::String && (from->kind == TypeKind::String || from->kind == TypeKind::Char)) {
    out = Convert(v, t, at);
    return true;
  }
  if (t->kind == TypeKind::Variant || from->kind == TypeKind::Variant) {
    out = Convert(v, t, at);
    return true;
  }
  Error(at, "Invalid type cast", at->text);
}

}  // namespace script
