// Types of the script language: the built-in scalar types, enumerations and subranges, strings,
// variants, sets, static and dynamic arrays and records; their slot layouts in the VM and the rules
// that combine them in expressions.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace script {

enum class TypeKind : uint8_t {
  Void, Integer, Float, Boolean, Char, String, Variant, StaticArray, DynArray, Record, Nil, Enum, Set,
};

// A set holds ordinal values 0..255 as 256 bits in four 64-bit slots.
inline constexpr int32_t kSetSlots = 4;
inline constexpr int64_t kSetMaxOrdinal = 255;

// Integer widths; values are kept sign- or zero-extended in 64-bit slots.
enum class IntKind : uint8_t { S8, U8, S16, U16, S32, U32, S64 };

struct Type;

struct Field {
  std::string upper;  // upper-case name for lookup
  std::string name;
  const Type* type = nullptr;
  int32_t offset = 0;  // in slots from the record's first slot
};

struct Type {
  TypeKind kind = TypeKind::Void;
  IntKind ik = IntKind::S32;   // Integer
  bool single = false;         // Float: stored rounded to 32 bits
  std::string name;            // for messages
  const Type* elem = nullptr;  // arrays; sets (null for the empty set [], which fits every set)
  const Type* index = nullptr; // static arrays: the ordinal type of the index
  const Type* base = nullptr;  // enumerations: the enumeration (a subrange points to its whole)
  int64_t lo = 0, hi = -1;     // static arrays; enumerations and subranges (their bounds)
  bool subrange = false;       // Integer and Char subranges: lo..hi bound the values
  std::vector<Field> fields;   // records
  int32_t slots = 1;           // size in VM slots
  std::vector<uint8_t> kinds;  // per slot: 0 plain, 1 managed (composites)
  int32_t layout = -1;         // layout index in the program (composites, dynamic array elements)

  bool IsOrdinal() const {
    return kind == TypeKind::Integer || kind == TypeKind::Boolean || kind == TypeKind::Char ||
           kind == TypeKind::Enum;
  }
  bool IsNumeric() const { return kind == TypeKind::Integer || kind == TypeKind::Float; }
  bool IsManaged() const {
    return kind == TypeKind::String || kind == TypeKind::Variant || kind == TypeKind::DynArray;
  }
  bool IsComposite() const {
    return kind == TypeKind::StaticArray || kind == TypeKind::Record || kind == TypeKind::Set;
  }
  // Smallest and largest value of an ordinal type.
  int64_t MinValue() const;
  int64_t MaxValue() const;
};

// Owns every type of one compilation; the built-in ones are created up front.
class TypeTable {
 public:
  TypeTable();
  const Type* tVoid;
  const Type* tInteger;   // 32-bit signed; also Longint
  const Type* tCardinal;  // 32-bit unsigned; also Longword, DWord
  const Type* tWord;
  const Type* tByte;
  const Type* tShortInt;
  const Type* tSmallInt;
  const Type* tInt64;
  const Type* tSingle;
  const Type* tDouble;    // also Extended, Real, Currency
  const Type* tBoolean;
  const Type* tChar;
  const Type* tString;
  const Type* tVariant;
  const Type* tNil;

  // The built-in type of an upper-case name, or null.
  const Type* Builtin(const std::string& upper) const;
  Type* NewStaticArray(const Type* elem, int64_t lo, int64_t hi);
  Type* NewDynArray(const Type* elem);
  // A record whose fields are appended with AddField and then closed with FinishRecord.
  Type* NewRecord();
  void AddField(Type* record, const std::string& name, const Type* type);
  // An enumeration of `count` values 0 .. count-1.
  Type* NewEnum(int64_t count);
  // The values lo..hi of an ordinal type (Integer, Char or an enumeration).
  Type* NewSubrange(const Type* of, int64_t lo, int64_t hi);
  // A set of the values of an ordinal type; null elem: the type of [].
  Type* NewSet(const Type* elem);
  // Gives a declared type its name for messages ("TDir").
  void Rename(const Type* type, const std::string& name);

 private:
  Type* Make(TypeKind kind, const char* name);
  std::deque<Type> types_;
  struct BuiltinName {
    const char* name;  // upper case
    const Type* type;
  };
  std::array<BuiltinName, 22> builtinNames_{};
};

// Result type of integer arithmetic on two integer types: the small types widen to Integer,
// Cardinal and Int64 to Int64.
const Type* IntArithType(const TypeTable& types, const Type* a, const Type* b);
// True when a value of type `from` may be assigned to a location of type `to` (with the implicit
// integer-to-float, char-to-string and scalar-to-variant conversions).
bool Assignable(const Type* to, const Type* from);
// True when two types are the same for var parameters and composite copies.
bool SameType(const Type* a, const Type* b);
// True when values of two ordinal types may meet in a comparison, a case label, a set or an index:
// integers with integers, chars with chars, booleans with booleans, values of one enumeration.
bool SameOrdinalFamily(const Type* a, const Type* b);
// Nominal size in bytes (SizeOf): pointers count 8 bytes.
int64_t ByteSize(const Type* type);

}  // namespace script
