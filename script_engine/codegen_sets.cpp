// Sets: constructors ([a, b..c]), the operators + - * = <> <= >=, `in`, Include and Exclude. A set
// is four plain slots of 64 bits (members 0..255) handled by reference like the other composite
// values; set constants live in the integer constants, four to a set.
#include "script_engine/codegen_internal.h"

#include <cstring>

namespace script {

namespace {

bool HasMember(const std::array<uint64_t, 4>& bits, int64_t v) {
  return v >= 0 && v <= kSetMaxOrdinal && (bits[static_cast<size_t>(v >> 6)] >> (v & 63) & 1) != 0;
}

void AddMember(std::array<uint64_t, 4>& bits, int64_t v) {
  bits[static_cast<size_t>(v >> 6)] |= uint64_t{1} << (v & 63);
}

}  // namespace

// One set type per element family (Byte for integers, Char, Boolean, each enumeration), so that the
// types of constructors compare and print alike.
const Type* CodeGen::SetTypeOf(const Type* elem) {
  const Type* family = nullptr;
  if (elem) {
    switch (elem->kind) {
      case TypeKind::Integer: family = types_.tByte; break;
      case TypeKind::Enum: family = elem->base; break;
      case TypeKind::Char: family = types_.tChar; break;
      default: family = types_.tBoolean; break;
    }
  }
  auto it = setTypes_.find(family);
  if (it != setTypes_.end()) return it->second;
  const Type* t = types_.NewSet(family);
  setTypes_[family] = t;
  return t;
}

int CodeGen::SetConstIndex(const std::array<uint64_t, 4>& bits) {
  std::string key(sizeof bits, '\0');
  std::memcpy(key.data(), bits.data(), sizeof bits);
  auto it = setConsts_.find(key);
  if (it != setConsts_.end()) return it->second;
  int index = static_cast<int>(prog_.ints.size());
  for (uint64_t word : bits) prog_.ints.push_back(static_cast<int64_t>(word));
  setConsts_[key] = index;
  return index;
}

// A register holding a reference to the set's slots; a constant is written into a temporary.
int CodeGen::SetRef(const Val& v) {
  if (!v.isConst) return v.reg;
  int slots = AllocTemp(SetTypeOf(nullptr));
  int ref = AllocTemp(types_.tInteger);
  Emit(OP_REFL, ref, slots);
  Emit(OP_SETK, ref, SetConstIndex(v.k.bits));
  return ref;
}

// set-constructor: the constant members are gathered at compile time; members and ranges known only
// at run time are added to them by SETINC and SETRNG, which leave out values outside 0..255.
Val CodeGen::SetConstructor(const Node* n) {
  Val out;
  out.isConst = true;
  const Type* elem = nullptr;
  struct Member {
    Val lo, hi;
    bool range;
    const Node* at;
  };
  std::vector<Member> late;
  auto element = [&](const Node* e) {
    Val v = Expr(e);
    if (!v.type->IsOrdinal()) Error(e, "Ordinal type required");
    if (!elem) {
      elem = v.type;
    } else if (!SameOrdinalFamily(elem, v.type)) {
      Incompatible(e, elem, v.type);
    }
    if (v.isConst && (v.k.i < 0 || v.k.i > kSetMaxOrdinal)) Error(e, "Set element out of range 0..255");
    return v;
  };
  for (const Node* e : n->list) {
    if (e->kind == NK::Binary && e->op == TK_DOTDOT) {
      Val lo = element(e->a), hi = element(e->b);
      if (lo.isConst && hi.isConst) {
        for (int64_t v = lo.k.i; v <= hi.k.i; ++v) AddMember(out.k.bits, v);
      } else {
        late.push_back(Member{lo, hi, true, e});
      }
    } else {
      Val v = element(e);
      if (v.isConst) {
        AddMember(out.k.bits, v.k.i);
      } else {
        late.push_back(Member{v, v, false, e});
      }
    }
  }
  out.type = SetTypeOf(elem);
  if (late.empty()) return out;
  int slots = AllocTemp(out.type);
  int ref = AllocTemp(types_.tInteger);
  SetPos(n);
  Emit(OP_REFL, ref, slots);
  Emit(OP_SETK, ref, SetConstIndex(out.k.bits));
  for (const Member& m : late) {
    SetPos(m.at);
    if (m.range) {
      Emit(OP_SETRNG, ref, ToReg(m.lo), ToReg(m.hi));
    } else {
      Emit(OP_SETINC, ref, ToReg(m.lo));
    }
  }
  out.isConst = false;
  out.reg = ref;
  return out;
}

// a + b (union), a - b (difference), a * b (intersection). The result goes to `dstRef` when given.
Val CodeGen::SetOperator(const Node* n, const Val& a, const Val& b, int dstRef) {
  if (a.type->kind != TypeKind::Set || b.type->kind != TypeKind::Set) {
    Error(n, "Operator not applicable to this operand type");
  }
  if (!SameType(a.type, b.type)) Error(n, "Incompatible types: '" + a.type->name + "' and '" + b.type->name + "'");
  TokenKind op = n->op;
  if (op != TK_PLUS && op != TK_MINUS && op != TK_STAR) Error(n, "Operator not applicable to this operand type");
  Val out;
  out.type = a.type->elem ? a.type : b.type;
  if (a.isConst && b.isConst) {
    out.isConst = true;
    for (size_t w = 0; w < 4; ++w) {
      out.k.bits[w] = op == TK_PLUS ? (a.k.bits[w] | b.k.bits[w])
                      : op == TK_MINUS ? (a.k.bits[w] & ~b.k.bits[w])
                                       : (a.k.bits[w] & b.k.bits[w]);
    }
    return out;
  }
  int ra = SetRef(a), rb = SetRef(b);
  int ref = dstRef;
  if (ref < 0) {
    int slots = AllocTemp(out.type);
    ref = AllocTemp(types_.tInteger);
    Emit(OP_REFL, ref, slots);
  }
  SetPos(n);
  Emit(op == TK_PLUS ? OP_SETUNI : op == TK_MINUS ? OP_SETDIF : OP_SETINT, ref, ra, rb);
  out.reg = ref;
  return out;
}

// a = b, a <> b, a <= b (a is a subset of b), a >= b (a is a superset of b).
Val CodeGen::SetCompare(const Node* n, const Val& a, const Val& b, int target, const Type* targetType) {
  if (a.type->kind != TypeKind::Set || b.type->kind != TypeKind::Set) {
    Error(n, "Incompatible types: '" + a.type->name + "' and '" + b.type->name + "'");
  }
  if (!SameType(a.type, b.type)) Error(n, "Incompatible types: '" + a.type->name + "' and '" + b.type->name + "'");
  TokenKind op = n->op;
  if (op == TK_LT || op == TK_GT) Error(n, "Operator not applicable to this operand type");
  Val out;
  out.type = types_.tBoolean;
  if (a.isConst && b.isConst) {
    const Val& sub = op == TK_GE ? b : a;
    const Val& super = op == TK_GE ? a : b;
    bool result = true;
    for (size_t w = 0; w < 4; ++w) {
      if (op == TK_EQ || op == TK_NE) {
        result = result && a.k.bits[w] == b.k.bits[w];
      } else {
        result = result && (sub.k.bits[w] & ~super.k.bits[w]) == 0;
      }
    }
    out.isConst = true;
    out.k.i = op == TK_NE ? !result : result;
    return out;
  }
  int ra = SetRef(a), rb = SetRef(b);
  int r = Dest(types_.tBoolean, target, targetType);
  SetPos(n);
  switch (op) {
    case TK_EQ: Emit(OP_SETEQ, r, ra, rb); break;
    case TK_NE:
      Emit(OP_SETEQ, r, ra, rb);
      Emit(OP_NOTB, r, r);
      break;
    case TK_LE: Emit(OP_SETLE, r, ra, rb); break;
    default: Emit(OP_SETLE, r, rb, ra); break;
  }
  out.reg = r;
  return out;
}

// x in s: false for a value outside the set's base type, as for any value not in the set.
Val CodeGen::InExpr(const Node* n, int target, const Type* targetType) {
  Val x = Expr(n->a);
  Val s = Expr(n->b);
  SetPos(n);
  if (!x.type->IsOrdinal()) Error(n->a, "Ordinal type required");
  if (s.type->kind != TypeKind::Set) Error(n->b, "Set type required");
  if (s.type->elem && !SameOrdinalFamily(x.type, s.type->elem)) Incompatible(n->a, s.type->elem, x.type);
  Val out;
  out.type = types_.tBoolean;
  if (x.isConst && s.isConst) {
    out.isConst = true;
    out.k.i = HasMember(s.k.bits, x.k.i);
    return out;
  }
  int rx = ToReg(x);
  int r = Dest(types_.tBoolean, target, targetType);
  if (s.isConst) {
    Emit(OP_SETINK, r, rx, SetConstIndex(s.k.bits));
  } else {
    Emit(OP_SETIN, r, rx, s.reg);
  }
  out.reg = r;
  return out;
}

// Include(s, x) and Exclude(s, x).
void CodeGen::SetInclude(const std::vector<Node*>& args, const Node* at, bool include) {
  if (args.size() < 2) Error(at, "Not enough actual parameters", at->text);
  if (args.size() > 2) Error(at, "Too many actual parameters", at->text);
  Loc loc = LValue(args[0]);
  if (loc.type->kind != TypeKind::Set) Error(args[0], "Set type required");
  if (loc.readOnly) Error(args[0], "Variable required");
  Val x = Expr(args[1]);
  if (!x.type->IsOrdinal()) Error(args[1], "Ordinal type required");
  if (loc.type->elem && !SameOrdinalFamily(x.type, loc.type->elem)) Incompatible(args[1], loc.type->elem, x.type);
  if (x.isConst && (x.k.i < 0 || x.k.i > kSetMaxOrdinal)) Error(args[1], "Set element out of range 0..255");
  int ref = RefOf(loc);
  int rx = ToReg(x);
  SetPos(at);
  Emit(include ? OP_SETINC : OP_SETEXC, ref, rx);
}

}  // namespace script
