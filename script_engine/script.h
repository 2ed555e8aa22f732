// The script engine's public interface: TScriptCompiler turns Pascal-dialect source into a compiled
// byte string; TScriptExec loads that string, binds native functions and runs it, with pause,
// resume and nesting. Nothing here is global: make as many compilers and executors as you like.
//
// A host typically does, for every run:
//
//   script::TScriptCompiler compiler;
//   compiler.OnUses = [](script::TScriptCompiler& c, const std::string& unit) {
//     if (unit != "SYSTEM") return false;
//     return c.AddFunction("procedure GameMessage( MsgText: string )");  // ... one per routine
//   };
//   if (!compiler.Compile(source)) { report(compiler.ErrorText()); return; }
//   script::TScriptExec exec;
//   exec.RegisterFunction("GAMEMESSAGE", script::MakeNative([](const std::string& text) { ... }));
//   if (!exec.LoadData(compiler.GetOutput())) { report(exec.ErrorText()); return; }
//   exec.Run();
//
// A native function may call Pause() on any running executor (its own included): that executor's
// Run returns as soon as the native call in progress has returned to it, and a later Run continues
// after that call. A native function may also compile, load and run other programs on other
// executors while its caller waits (nesting).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace script {

// Types that native functions exchange with scripts.
enum class TScriptType : uint8_t {
  Void, Integer, Cardinal, Word, Byte, ShortInt, SmallInt, Int64, Single, Double, Boolean, Char,
  String,
};

// A compile error: where it is, what is wrong and the token it was found at.
struct TCompileError {
  std::string file;
  int line = 0;
  int col = 0;
  std::string message;
  std::string token;
  // "file:line:col: message near 'token'".
  std::string Text() const;
};

class TScriptCompiler {
 public:
  // Called with an upper-case unit name: "SYSTEM" at the start of every compile, then each unit
  // named in a uses clause. Return true to accept; a refused unit fails the compile.
  using TUsesHandler = std::function<bool(TScriptCompiler& compiler, const std::string& unit)>;

  TScriptCompiler();
  ~TScriptCompiler();
  TScriptCompiler(const TScriptCompiler&) = delete;
  TScriptCompiler& operator=(const TScriptCompiler&) = delete;

  TUsesHandler OnUses;

  // Declares a native routine from its heading ("function GetInt( IntName: string ): integer");
  // meant to be called from OnUses. The routine is then callable by its name in any case and
  // reaches the native function registered under its upper-case name. False when the heading
  // does not parse or uses a type natives cannot take (the compile then fails too).
  bool AddFunction(const std::string& declaration);
  // Name used in error messages (default "script").
  void SetFileName(const std::string& name);
  // Compiles a program; true on success. On failure Error() says where and why.
  bool Compile(const std::string& source);
  // The compiled program as a byte string for TScriptExec::LoadData (empty before a success).
  std::string GetOutput() const;
  // The first error of the last compile.
  const TCompileError& Error() const;
  std::string ErrorText() const { return Error().Text(); }
  // Listing of the compiled code (tests and the dump command).
  std::string ListCode() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class TScriptExec;

// The arguments and result of one call from a script into a native function.
class TNativeCall {
 public:
  int Count() const;
  TScriptType ParamType(int index) const;
  TScriptType ResultType() const;
  // Argument values converted to the requested C++ type (integers of any width, floats,
  // booleans, chars as their code, strings).
  int64_t Int(int index) const;
  double Float(int index) const;
  bool Bool(int index) const;
  std::string_view Str(int index) const;
  // Sets the function result (ignored for procedures); converted to the declared result type.
  void ReturnInt(int64_t value);
  void ReturnFloat(double value);
  void ReturnBool(bool value);
  void ReturnStr(std::string_view value);
  // Ends the script's run with a run-time error (the script may catch it with try/except).
  void Fail(const std::string& message);
  TScriptExec& Exec() const { return *exec_; }

 private:
  friend class TScriptExec;
  friend struct TExecImpl;
  TScriptExec* exec_ = nullptr;
  void* args_ = nullptr;    // the argument slots
  void* result_ = nullptr;  // the result slot
  const void* import_ = nullptr;
};

using TNativeFunction = std::function<void(TNativeCall& call)>;

enum class TExecStatus { NotLoaded, Loaded, Running, Paused };

// A run-time error that ended a run: its kind (the erXxx constants of the language), message and
// the source position of the instruction that raised it.
struct TRuntimeError {
  int kind = 0;
  std::string message;
  int line = 0;
  int col = 0;
  // "line:col: message".
  std::string Text() const;
};

class TScriptExec {
 public:
  TScriptExec();
  ~TScriptExec();
  TScriptExec(const TScriptExec&) = delete;
  TScriptExec& operator=(const TScriptExec&) = delete;

  // Binds a native function to an upper-case routine name (before or after LoadData). Calls of a
  // declared routine that has no binding end the run with a run-time error.
  void RegisterFunction(const std::string& upperName, TNativeFunction function);
  // Loads a compiled program (frees any previous one); true on success, else the status is
  // NotLoaded and ErrorText() names the reason. Refused while running or paused.
  bool LoadData(const std::string& bytes);
  // Runs the main block from the start (status Loaded) or continues after the pause point
  // (Paused). Returns false when the run ended with a run-time error (see LastError()), true
  // when it finished or paused. Refused (false) while running and when nothing is loaded.
  bool Run();
  TExecStatus Status() const;
  // A running executor becomes paused; its run stops when the native call in progress returns.
  void Pause();
  // A paused executor goes back to loaded (its run is abandoned); no effect otherwise.
  void SetLoaded();
  // The error of the last failed run or load.
  const TRuntimeError& LastError() const;
  std::string ErrorText() const { return LastError().Text(); }
  // Limits per Run call: instructions executed (default 50 million) and call depth (1,000).
  void SetStepLimit(int64_t steps);
  void SetMaxCallDepth(int depth);

 private:
  friend class TNativeCall;
  friend struct TExecImpl;
  std::unique_ptr<struct TExecImpl> impl_;
};

// ---- Typed natives: MakeNative wraps a callable taking and returning plain C++ types
// (integers, float, double, bool, std::string, std::string_view) into a TNativeFunction.

namespace detail {

template <class T>
std::decay_t<T> NativeArg(TNativeCall& call, int index) {
  using U = std::decay_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    return call.Bool(index);
  } else if constexpr (std::is_integral_v<U>) {
    return static_cast<U>(call.Int(index));
  } else if constexpr (std::is_floating_point_v<U>) {
    return static_cast<U>(call.Float(index));
  } else if constexpr (std::is_same_v<U, std::string_view>) {
    return call.Str(index);
  } else {
    static_assert(std::is_same_v<U, std::string>, "unsupported native parameter type");
    return std::string(call.Str(index));
  }
}

template <class R>
void NativeReturn(TNativeCall& call, R&& value) {
  using U = std::decay_t<R>;
  if constexpr (std::is_same_v<U, bool>) {
    call.ReturnBool(value);
  } else if constexpr (std::is_integral_v<U>) {
    call.ReturnInt(static_cast<int64_t>(value));
  } else if constexpr (std::is_floating_point_v<U>) {
    call.ReturnFloat(static_cast<double>(value));
  } else {
    call.ReturnStr(std::string_view(value));
  }
}

template <class F, class R, class... A, size_t... I>
TNativeFunction MakeNativeImpl(F f, std::index_sequence<I...>) {
  return [f](TNativeCall& call) mutable {
    if (call.Count() != static_cast<int>(sizeof...(A))) {
      call.Fail("native function called with a different parameter count");
      return;
    }
    if constexpr (std::is_void_v<R>) {
      f(NativeArg<A>(call, static_cast<int>(I))...);
    } else {
      NativeReturn(call, f(NativeArg<A>(call, static_cast<int>(I))...));
    }
  };
}

template <class F, class C, class R, class... A>
TNativeFunction MakeNativeFrom(F f, R (C::*)(A...) const) {
  return MakeNativeImpl<F, R, A...>(std::move(f), std::index_sequence_for<A...>{});
}
template <class F, class C, class R, class... A>
TNativeFunction MakeNativeFrom(F f, R (C::*)(A...)) {
  return MakeNativeImpl<F, R, A...>(std::move(f), std::index_sequence_for<A...>{});
}

}  // namespace detail

// Wraps a lambda or function object: MakeNative([](const std::string& s, int32_t n) { ... }).
template <class F>
TNativeFunction MakeNative(F f) {
  return detail::MakeNativeFrom(std::move(f), &F::operator());
}
// Wraps a plain function: MakeNative(&MyFunction).
template <class R, class... A>
TNativeFunction MakeNative(R (*f)(A...)) {
  return detail::MakeNativeImpl<R (*)(A...), R, A...>(f, std::index_sequence_for<A...>{});
}

// One row of a registration table (name in upper case and its function), as in
// `for (auto& n : table) exec.RegisterFunction(n.name, n.function);`.
struct TNativeEntry {
  const char* name;
  TNativeFunction function;
};

}  // namespace script
