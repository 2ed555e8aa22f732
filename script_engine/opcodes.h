// The instruction set of the script VM: encoding, one line per opcode with its meaning, and the
// name table in the same order (generated from the one list below), plus a code lister for tests
// and `tessera-script dump`.
#pragma once

#include <cstdint>
#include <string>

namespace script {

struct TProgram;

// Every instruction is four 32-bit fields. Register operands index the current frame's slots;
// jump targets are absolute instruction indices inside the routine. An instruction that needs more
// than three operands is followed by an EXTRA word carrying them.
struct Instr {
  uint8_t op = 0;
  uint8_t pad[3] = {0, 0, 0};
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
};

// Operand kinds, used by the loader to validate code and by the lister to print it.
//   _ unused   R plain register   M managed register (string, dynamic array, variant)
//   I immediate   J jump target   K int constant   F float constant   S string constant
//   G plain global   H managed global   P routine   N native import   B built-in routine
//   L layout   C call base (register)   D call destination (register or -1)
//
// Integer slots always hold the value of their declared type sign- or zero-extended to 64 bits,
// so one set of comparisons serves every integer width; arithmetic comes in three wraps:
// _I (32-bit signed), _U (32-bit unsigned) and _L (64-bit).
#define SCRIPT_OPCODES(X)                                                                   \
  X(NOP, "___", "no operation")                                                            \
  X(EXTRA, "III", "extra operands of the instruction before it")                           \
  X(MOV, "RR_", "A := B (plain slot)")                                                     \
  X(MOVM, "MM_", "A := B (managed: retains B, releases the old A)")                        \
  X(LOADI, "RI_", "A := immediate B")                                                      \
  X(LOADK, "RK_", "A := integer constant B")                                               \
  X(LOADF, "RF_", "A := float constant B")                                                 \
  X(LOADS, "MS_", "A := string constant B")                                                \
  X(CLEAR, "M__", "release A and make it empty")                                           \
  X(GETG, "RG_", "A := global B")                                                          \
  X(GETGM, "MH_", "A := managed global B")                                                 \
  X(SETG, "GR_", "global A := B")                                                          \
  X(SETGM, "HM_", "managed global A := B")                                                 \
  X(ADD_I, "RRR", "A := B + C") X(SUB_I, "RRR", "A := B - C")                             \
  X(MUL_I, "RRR", "A := B * C") X(DIV_I, "RRR", "A := B div C")                           \
  X(MOD_I, "RRR", "A := B mod C")                                                          \
  X(ADD_U, "RRR", "A := B + C") X(SUB_U, "RRR", "A := B - C")                             \
  X(MUL_U, "RRR", "A := B * C") X(DIV_U, "RRR", "A := B div C")                           \
  X(MOD_U, "RRR", "A := B mod C")                                                          \
  X(ADD_L, "RRR", "A := B + C") X(SUB_L, "RRR", "A := B - C")                             \
  X(MUL_L, "RRR", "A := B * C") X(DIV_L, "RRR", "A := B div C")                           \
  X(MOD_L, "RRR", "A := B mod C")                                                          \
  X(ADDK_I, "RRI", "A := B + immediate C") X(SUBK_I, "RRI", "A := B - immediate C")       \
  X(MULK_I, "RRI", "A := B * immediate C") X(DIVK_I, "RRI", "A := B div immediate C")     \
  X(MODK_I, "RRI", "A := B mod immediate C")                                               \
  X(NEG_I, "RR_", "A := -B") X(NEG_U, "RR_", "A := -B") X(NEG_L, "RR_", "A := -B")       \
  X(AND, "RRR", "A := B and C (bitwise)") X(OR, "RRR", "A := B or C (bitwise)")           \
  X(XOR, "RRR", "A := B xor C (bitwise)")                                                  \
  X(NOT_I, "RR_", "A := not B") X(NOT_U, "RR_", "A := not B") X(NOT_L, "RR_", "A := not B") \
  X(NOTB, "RR_", "A := not B (boolean)")                                                   \
  X(SHL_I, "RRR", "A := B shl C") X(SHL_U, "RRR", "A := B shl C")                         \
  X(SHL_L, "RRR", "A := B shl C") X(SHR_I, "RRR", "A := B shr C (logical)")               \
  X(SHR_U, "RRR", "A := B shr C") X(SHR_L, "RRR", "A := B shr C (logical)")               \
  X(CVT_S8, "RR_", "A := B wrapped to shortint") X(CVT_U8, "RR_", "A := B wrapped to byte") \
  X(CVT_S16, "RR_", "A := B wrapped to smallint")                                          \
  X(CVT_U16, "RR_", "A := B wrapped to word")                                              \
  X(CVT_S32, "RR_", "A := B wrapped to integer")                                           \
  X(CVT_U32, "RR_", "A := B wrapped to cardinal")                                          \
  X(ADD_F, "RRR", "A := B + C (float)") X(SUB_F, "RRR", "A := B - C (float)")             \
  X(MUL_F, "RRR", "A := B * C (float)") X(DIV_F, "RRR", "A := B / C (float)")             \
  X(NEG_F, "RR_", "A := -B (float)")                                                       \
  X(I2F, "RR_", "A := float of integer B") X(F2S, "RR_", "A := B rounded to single")      \
  X(EQ, "RRR", "A := B = C") X(NE, "RRR", "A := B <> C") X(LT, "RRR", "A := B < C")      \
  X(LE, "RRR", "A := B <= C") X(EQ_F, "RRR", "A := B = C (float)")                        \
  X(NE_F, "RRR", "A := B <> C (float)") X(LT_F, "RRR", "A := B < C (float)")              \
  X(LE_F, "RRR", "A := B <= C (float)")                                                    \
  X(CMP_S, "RMM", "A := -1, 0 or 1 comparing strings B and C")                             \
  X(JMP, "J__", "jump to A")                                                               \
  X(JT, "RJ_", "jump to B if A is true") X(JF, "RJ_", "jump to B if A is false")          \
  X(JEQ, "RRJ", "jump to C if A = B") X(JNE, "RRJ", "jump to C if A <> B")                \
  X(JLT, "RRJ", "jump to C if A < B") X(JLE, "RRJ", "jump to C if A <= B")                \
  X(JGT, "RRJ", "jump to C if A > B") X(JGE, "RRJ", "jump to C if A >= B")                \
  X(JEQK, "RIJ", "jump to C if A = immediate B") X(JNEK, "RIJ", "jump to C if A <> immediate B") \
  X(JLTK, "RIJ", "jump to C if A < immediate B") X(JLEK, "RIJ", "jump to C if A <= immediate B") \
  X(JGTK, "RIJ", "jump to C if A > immediate B") X(JGEK, "RIJ", "jump to C if A >= immediate B") \
  X(FORI, "RRJ", "if A < B then A := A + 1 and jump to C")                                 \
  X(FORD, "RRJ", "if A > B then A := A - 1 and jump to C")                                 \
  X(CONCAT, "MMM", "A := B + C (strings; appends in place when A is B and unshared)")     \
  X(CONCATC, "MMR", "A := B + char C")                                                     \
  X(CHRSTR, "MR_", "A := the one-character string of char B")                              \
  X(SLEN, "RM_", "A := Length(string B)")                                                  \
  X(SCHAR, "RMR", "A := string B [C] (range checked)")                                     \
  X(SSETC, "RRR", "string at reference A, char B := C (made unique first)")                \
  X(ALEN, "RM_", "A := Length(dynamic array B)")                                           \
  X(AGET, "RMR", "A := array B [C] (plain element)")                                       \
  X(AGETM, "MMR", "A := array B [C] (managed element)")                                    \
  X(ASET, "MRR", "array A [B] := C (plain element)")                                       \
  X(ASETM, "MRM", "array A [B] := C (managed element)")                                    \
  X(AREF, "RMR", "A := reference to element C of array B")                                 \
  X(REFL, "RI_", "A := reference to slot B of this frame")                                 \
  X(REFG, "RI_", "A := reference to global slot B")                                        \
  X(REFIDX, "RRR", "A := reference B advanced to element C; EXTRA low, count, size")       \
  X(REFFLD, "RRI", "A := reference B advanced by C slots")                                 \
  X(LDR, "RR_", "A := slot at reference B")                                                \
  X(LDRM, "MR_", "A := managed slot at reference B")                                       \
  X(STR, "RR_", "slot at reference A := B")                                                \
  X(STRM, "RM_", "managed slot at reference A := B")                                       \
  X(COPYR, "RRL", "slots at reference A := slots at reference B (layout C)")               \
  X(SETK, "RK_", "set at reference A := the set in int constants B..B+3")                 \
  X(SETINC, "RR_", "include B in the set at reference A (nothing outside 0..255)")         \
  X(SETEXC, "RR_", "exclude B from the set at reference A")                                \
  X(SETRNG, "RRR", "include B..C in the set at reference A (clipped to 0..255)")           \
  X(SETUNI, "RRR", "set at reference A := set at B + set at C")                           \
  X(SETDIF, "RRR", "set at reference A := set at B - set at C")                           \
  X(SETINT, "RRR", "set at reference A := set at B * set at C")                           \
  X(SETEQ, "RRR", "A := set at reference B = set at reference C")                          \
  X(SETLE, "RRR", "A := set at reference B <= set at reference C (subset)")                \
  X(SETIN, "RRR", "A := B in set at reference C (false outside 0..255)")                   \
  X(SETINK, "RRK", "A := B in the set in int constants C..C+3")                            \
  X(CALL, "PCD", "call routine A with arguments from B, result to C")                      \
  X(CALLN, "NCD", "call native function A with arguments from B, result to C")             \
  X(CALLB, "BCD", "call built-in routine A with arguments from B, result to C")            \
  X(RET, "___", "return from the routine")                                                 \
  X(TRYX, "J__", "enter a try block whose except handler is at A")                         \
  X(TRYF, "JR_", "enter a try block whose finally handler is at A; state in slots B..B+3") \
  X(POPTRY, "___", "leave the innermost try block")                                        \
  X(ENDFIN, "RI_", "end of finally: state A 0 falls through, 1 re-raises, k jumps k ahead (k < B)") \
  X(TOVAR, "MRI", "A := variant of B with variant type C")                                 \
  X(TOVARS, "MM_", "A := variant of string B")                                             \
  X(FROMVAR, "RMI", "A := variant B converted to scalar kind C")                           \
  X(FROMVARS, "MM_", "A := variant B converted to string")

enum Opcode : uint8_t {
#define SCRIPT_OP_ENUM(name, operands, meaning) OP_##name,
  SCRIPT_OPCODES(SCRIPT_OP_ENUM)
#undef SCRIPT_OP_ENUM
  OP_COUNT
};

// Opcode names ("ADD_I") and operand kinds ("RRR"), indexed by opcode.
extern const char* const kOpcodeNames[OP_COUNT];
extern const char* const kOpcodeOperands[OP_COUNT];

// Scalar kinds used by FROMVAR and by native signatures.
enum ScalarKind : int32_t { SK_INT = 0, SK_FLOAT = 1, SK_BOOL = 2, SK_CHAR = 3, SK_SINGLE = 4 };

// Lists every routine of a program, one instruction per line ("  12  ADD_I  3 4 5"), for tests
// and for `tessera-script dump`.
std::string ListCode(const TProgram& program);

}  // namespace script
