// Types of the script language and their combination rules.
#include "script_engine/types.h"

namespace script {

int64_t Type::MinValue() const {
  if (kind == TypeKind::Enum || subrange) return lo;
  switch (kind) {
    case TypeKind::Boolean:
    case TypeKind::Char: return 0;
    case TypeKind::Integer:
      switch (ik) {
        case IntKind::S8: return -128;
        case IntKind::S16: return -32768;
        case IntKind::S32: return INT32_MIN;
        case IntKind::S64: return INT64_MIN;
        default: return 0;
      }
    default: return 0;
  }
}

int64_t Type::MaxValue() const {
  if (kind == TypeKind::Enum || subrange) return hi;
  switch (kind) {
    case TypeKind::Boolean: return 1;
    case TypeKind::Char: return 255;
    case TypeKind::Integer:
      switch (ik) {
        case IntKind::S8: return 127;
        case IntKind::U8: return 255;
        case IntKind::S16: return 32767;
        case IntKind::U16: return 65535;
        case IntKind::S32: return INT32_MAX;
        case IntKind::U32: return UINT32_MAX;
        case IntKind::S64: return INT64_MAX;
      }
      return 0;
    default: return 0;
  }
}

Type* TypeTable::Make(TypeKind kind, const char* name) {
  types_.emplace_back();
  Type* t = &types_.back();
  t->kind = kind;
  t->name = name;
  t->kinds.assign(1, 0);
  return t;
}

TypeTable::TypeTable() {
  auto integer = [&](IntKind ik, const char* name) {
    Type* t = Make(TypeKind::Integer, name);
    t->ik = ik;
    return t;
  };
  tVoid = Make(TypeKind::Void, "void");
  tInteger = integer(IntKind::S32, "Integer");
  tCardinal = integer(IntKind::U32, "Cardinal");
  tWord = integer(IntKind::U16, "Word");
  tByte = integer(IntKind::U8, "Byte");
  tShortInt = integer(IntKind::S8, "ShortInt");
  tSmallInt = integer(IntKind::S16, "SmallInt");
  tInt64 = integer(IntKind::S64, "Int64");
  Type* single = Make(TypeKind::Float, "Single");
  single->single = true;
  tSingle = single;
  tDouble = Make(TypeKind::Float, "Double");
  tBoolean = Make(TypeKind::Boolean, "Boolean");
  tChar = Make(TypeKind::Char, "Char");
  Type* str = Make(TypeKind::String, "String");
  str->kinds.assign(1, 1);
  tString = str;
  Type* var = Make(TypeKind::Variant, "Variant");
  var->kinds.assign(1, 1);
  tVariant = var;
  tNil = Make(TypeKind::Nil, "nil");
  builtinNames_ = {{
      {"INTEGER", tInteger},  {"LONGINT", tInteger},   {"CARDINAL", tCardinal},
      {"LONGWORD", tCardinal}, {"DWORD", tCardinal},   {"WORD", tWord},
      {"BYTE", tByte},        {"SHORTINT", tShortInt}, {"SMALLINT", tSmallInt},
      {"INT64", tInt64},      {"SINGLE", tSingle},     {"DOUBLE", tDouble},
      {"EXTENDED", tDouble},  {"REAL", tDouble},       {"CURRENCY", tDouble},
      {"BOOLEAN", tBoolean},  {"CHAR", tChar},         {"ANSICHAR", tChar},
      {"STRING", tString},    {"ANSISTRING", tString}, {"VARIANT", tVariant},
      {"TIFEXCEPTION", tInteger},
  }};
}

const Type* TypeTable::Builtin(const std::string& u) const {
  // Asked for every type name and every call: most names are not types, and fail on the first
  // letter.
  if (u.empty()) return nullptr;
  for (const BuiltinName& e : builtinNames_) {
    if (e.name[0] == u[0] && u == e.name) return e.type;
  }
  return nullptr;
}

Type* TypeTable::NewStaticArray(const Type* elem, int64_t lo, int64_t hi) {
  Type* t = Make(TypeKind::StaticArray, "array");
  t->elem = elem;
  t->lo = lo;
  t->hi = hi;
  int64_t count = hi - lo + 1;
  t->slots = static_cast<int32_t>(count * elem->slots);
  t->kinds.clear();
  t->kinds.reserve(static_cast<size_t>(t->slots));
  for (int64_t i = 0; i < count; ++i) t->kinds.insert(t->kinds.end(), elem->kinds.begin(), elem->kinds.end());
  return t;
}

Type* TypeTable::NewDynArray(const Type* elem) {
  Type* t = Make(TypeKind::DynArray, "array of");
  t->elem = elem;
  t->kinds.assign(1, 1);
  return t;
}

Type* TypeTable::NewRecord() {
  Type* t = Make(TypeKind::Record, "record");
  t->slots = 0;
  t->kinds.clear();
  return t;
}

void TypeTable::AddField(Type* record, const std::string& name, const Type* type) {
  Field f;
  f.name = name;
  f.upper = name;
  for (char& ch : f.upper) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  }
  f.type = type;
  f.offset = record->slots;
  record->fields.push_back(f);
  record->slots += type->slots;
  record->kinds.insert(record->kinds.end(), type->kinds.begin(), type->kinds.end());
}

Type* TypeTable::NewEnum(int64_t count) {
  Type* t = Make(TypeKind::Enum, "enumeration");
  t->lo = 0;
  t->hi = count - 1;
  t->base = t;
  return t;
}

Type* TypeTable::NewSubrange(const Type* of, int64_t lo, int64_t hi) {
  types_.push_back(*of);
  Type* t = &types_.back();
  t->lo = lo;
  t->hi = hi;
  if (of->kind == TypeKind::Integer) {
    // The narrowest integer that holds the bounds: values wrap to it when stored.
    static const IntKind kinds[] = {IntKind::U8, IntKind::S8, IntKind::U16, IntKind::S16, IntKind::S32,
                                    IntKind::U32, IntKind::S64};
    for (IntKind ik : kinds) {
      Type probe;
      probe.kind = TypeKind::Integer;
      probe.ik = ik;
      if (probe.MinValue() <= lo && hi <= probe.MaxValue()) {
        t->ik = ik;
        break;
      }
    }
  }
  if (of->kind != TypeKind::Enum) t->subrange = true;
  t->name = "subrange";
  return t;
}

Type* TypeTable::NewSet(const Type* elem) {
  Type* t = Make(TypeKind::Set, "set");
  if (elem) t->name = "set of " + elem->name;
  t->elem = elem;
  t->slots = kSetSlots;
  t->kinds.assign(kSetSlots, 0);
  return t;
}

void TypeTable::Rename(const Type* type, const std::string& name) {
  for (Type& t : types_) {
    if (&t == type) t.name = name;
  }
}

const Type* IntArithType(const TypeTable& types, const Type* a, const Type* b) {
  // Cardinal widens to Int64 like the other unsigned types widen to Integer; the result wraps
  // only when it is stored.
  if (a->ik == IntKind::S64 || b->ik == IntKind::S64 || a->ik == IntKind::U32 || b->ik == IntKind::U32) {
    return types.tInt64;
  }
  return types.tInteger;
}

bool SameType(const Type* a, const Type* b) {
  if (a == b) return true;
  if (a->kind != b->kind) return false;
  switch (a->kind) {
    case TypeKind::Integer: return a->ik == b->ik;
    case TypeKind::Float: return a->single == b->single;
    case TypeKind::StaticArray: return a->lo == b->lo && a->hi == b->hi && SameType(a->elem, b->elem);
    case TypeKind::DynArray: return SameType(a->elem, b->elem);
    case TypeKind::Record: return false;  // records are equal by identity only
    case TypeKind::Enum: return a->base == b->base;
    case TypeKind::Set: return !a->elem || !b->elem || SameOrdinalFamily(a->elem, b->elem);
    default: return true;
  }
}

bool SameOrdinalFamily(const Type* a, const Type* b) {
  if (a->kind != b->kind || !a->IsOrdinal()) return false;
  return a->kind != TypeKind::Enum || a->base == b->base;
}

bool Assignable(const Type* to, const Type* from) {
  if (SameType(to, from)) return true;
  switch (to->kind) {
    case TypeKind::Integer: return from->kind == TypeKind::Integer || from->kind == TypeKind::Variant;
    case TypeKind::Float:
      return from->kind == TypeKind::Integer || from->kind == TypeKind::Float ||
             from->kind == TypeKind::Variant;
    case TypeKind::Boolean:
    case TypeKind::Char: return from->kind == to->kind || from->kind == TypeKind::Variant;
    case TypeKind::String:
      return from->kind == TypeKind::Char || from->kind == TypeKind::String ||
             from->kind == TypeKind::Variant;
    case TypeKind::Variant:
      return from->IsOrdinal() || from->kind == TypeKind::Float || from->kind == TypeKind::String ||
             from->kind == TypeKind::Variant;
    case TypeKind::DynArray: return from->kind == TypeKind::Nil;
    case TypeKind::Enum:
    case TypeKind::Set: return SameType(to, from);
    default: return false;
  }
}

int64_t ByteSize(const Type* t) {
  switch (t->kind) {
    case TypeKind::Integer:
      switch (t->ik) {
        case IntKind::S8:
        case IntKind::U8: return 1;
        case IntKind::S16:
        case IntKind::U16: return 2;
        case IntKind::S32:
        case IntKind::U32: return 4;
        case IntKind::S64: return 8;
      }
      return 4;
    case TypeKind::Float: return t->single ? 4 : 8;
    case TypeKind::Boolean:
    case TypeKind::Char: return 1;
    case TypeKind::Variant: return 16;
    case TypeKind::Enum: return t->hi < 256 ? 1 : t->hi < 65536 ? 2 : 4;
    case TypeKind::Set:  // the bytes that hold the base type's bits
      return t->elem ? t->elem->MaxValue() / 8 - t->elem->MinValue() / 8 + 1 : 32;
    case TypeKind::StaticArray: return (t->hi - t->lo + 1) * ByteSize(t->elem);
    case TypeKind::Record: {
      int64_t size = 0;
      for (const Field& f : t->fields) size += ByteSize(f.type);
      return size;
    }
    default: return 8;
  }
}

}  // namespace script
