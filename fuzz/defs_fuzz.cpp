// Fuzz target: definition text through the table-driven reader (every field type, two tag pairs,
// early keys), plus the line routines and conversions checked against each other.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/core/fatal.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"

namespace {

struct TFuzzKind {
  std::string Name;
  int32_t Count = 0;
  uint8_t Align = 0;
  uint16_t Id = 0;
  float Scale = 0.0f;
  float Rotate = 0.0f;
  bool Flag = false;
  std::string Click, Create;
  int Widgets = 0;
};

const game::TDefFormat<TFuzzKind>& Format() {
  static const game::TDefFormat<TFuzzKind> format = [] {
    game::TDefFormat<TFuzzKind> f;
    f.EarlyKeys.push_back({"BUTTON", [](TFuzzKind& k, const game::TDefLine&) { ++k.Widgets; }});
    f.Tags.push_back({"[CLICKSCRIPT]", "[/CLICKSCRIPT]", [](TFuzzKind& k, std::string_view t) { k.Click += t; }});
    f.Tags.push_back({"[CREATESCRIPT]", "[/CREATESCRIPT]", [](TFuzzKind& k, std::string_view t) { k.Create += t; }});
    f.Keys.push_back(game::DefField("NAME", &TFuzzKind::Name));
    f.Keys.push_back(game::DefField("COUNT", &TFuzzKind::Count));
    f.Keys.push_back(game::DefField("ALIGN", &TFuzzKind::Align));
    f.Keys.push_back(game::DefField("ID", &TFuzzKind::Id));
    f.Keys.push_back(game::DefField("SCALEMODEL", &TFuzzKind::Scale));
    f.Keys.push_back(game::DefDegrees("ROTATEY", &TFuzzKind::Rotate, 3.1415926));
    f.Keys.push_back(game::DefField("FLAG", &TFuzzKind::Flag));
    f.Keys.push_back({"TEXTURE", [](TFuzzKind& k, const game::TDefLine& l) { k.Name += l.Value; }});
    return f;
  }();
  return format;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// The routines agree: the key, "=" and the value put back together give the cleaned line, and no
// "//" survives StripComment.
void CheckLine(std::string_view line) {
  std::string cleaned = game::CleanLine(line);
  std::string key = game::GetKey(line);
  std::string value = game::GetValue(line);
  bool split = cleaned.size() >= 2 && cleaned.find('=', 1) != std::string::npos;
  Check(split ? cleaned == key + "=" + value : (cleaned == key && value.empty()));
  Check(game::StripComment(line).find("//") == std::string::npos);
  Check(game::UpperAnsi(game::UpperAnsi(line)) == game::UpperAnsi(line));
  int32_t i = 0;
  if (game::TryStrToInt(value, &i) && !value.empty() && value.find_first_of("$xX") == std::string::npos) {
    long long want = std::strtoll(value.c_str(), nullptr, 10);
    Check(want == i);
  }
  float f = 0.0f;
  if (game::TryStrToFloat(value, &f)) Check(f == f);  // never NaN
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The problems a modder is told (unknown keys and their likely intended key, binary or CR-only
  // text) are gathered quietly and must each name the file.
  game::DiagnosticsReset();
  game::DiagnosticsSetEcho(false);
  game::CheckDefinitionText(text, "fuzz.cro");
  TFuzzKind kind;
  game::TDefRead read;
  try {
    game::ReadDefinition(text, "fuzz.cro", Format(), kind, &read);
  } catch (const game::FatalError& e) {
    Check(e.line() >= 1 && e.file() == "fuzz.cro");
  }
  for (const game::TProblem& p : game::Problems()) Check(p.File == "fuzz.cro" && !p.Message.empty());
  size_t pos = 0;
  for (int n = 0; n < 64 && pos <= text.size(); ++n) {
    size_t lf = text.find('\n', pos);
    CheckLine(text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos));
    if (lf == std::string_view::npos) break;
    pos = lf + 1;
  }
  // What the run allocated is freed within it; otherwise every run looks like a leak to the
  // fuzzer, which then runs it a second time to find out.
  game::DiagnosticsReset();
  return 0;
}
