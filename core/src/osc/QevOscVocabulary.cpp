#include "osc/QevOscVocabulary.h"

#include <iterator>

namespace qev
{

namespace
{

// The addresses of the object family, in the order start-up enters them.
// clang-format off
constexpr char const* texts[] = {
    "/active", "/adc", "/aed", "/aformat", "/air", "/anchor", "/anchors", "/angle", "/annotation",
    "/aperture", "/area", "/armed", "/attack", "/axis", "/azim", "/background", "/background/color",
    "/backgroundimage", "/band", "/bang", "/beam", "/beams", "/bformat", "/blur", "/bounds", "/bril",
    "/buffering", "/build", "/bus", "/buttons", "/bypass", "/cascade", "/cascades", "/center", "/channel",
    "/channels", "/circular", "/clear", "/close", "/cluster", "/cluster/gain", "/col", "/color",
    "/colormap", "/compressor", "/constraint", "/constraints", "/convention", "/coordinates",
    "/crossfade", "/crossover", "/cue", "/cursor", "/curve", "/cutoff", "/dac", "/dashed", "/db",
    "/decoder", "/delete", "/delay", "/delays", "/device", "/diag", "/dim", "/dimension", "/direct",
    "/direction", "/display", "/dist", "/distance", "/divergence", "/doppler", "/doubleclick", "/drag",
    "/drop", "/drop/mode", "/dump", "/dumplevels", "/dsp", "/dsp/cpu", "/dsp/mute", "/dsp/bypass",
    "/dsp/samplerate", "/dsp/latency", "/dsp/buffersize", "/dsp/automute/active", "/dsp/automute/attack",
    "/dsp/clear", "/dsp/post", "/dynamics", "/early", "/editable", "/eigenmike", "/elapsed", "/elev",
    "/emphasis", "/enable", "/encoder", "/energycompensation", "/env", "/equalizer", "/export",
    "/expander", "/file", "/fill", "/filter", "/fh", "/fl", "/floating", "/focus", "/font", "/foreground",
    "/format", "/frame", "/freq", "/frequency", "/fullscreen", "/G0", "/Gl", "/Gm", "/Gh", "/gain",
    "/gains", "/grid", "/group", "/height", "/help", "/heav", "/heaviness", "/hidesondeactivate",
    "/history", "/hoa", "/hrtf", "/indices", "/infinite", "/interpolation", "/internals", "/ir", "/itd",
    "/itdadapt", "/justification", "/keymapping", "/label", "/labels", "/law", "/layout", "/legend",
    "/length", "/level", "/levels", "/lfe", "/link", "/listener", "/live", "/liveness", "/load", "/lock",
    "/lookahead", "/lookat", "/loop", "/magnet", "/magnitude", "/makeup", "/marker", "/max", "/maximize",
    "/memory", "/method", "/microphone", "/microphones", "/min", "/minimise", "/mirror", "/mode",
    "/monitor", "/mouse", "/move", "/moveable", "/multi", "/mute", "/name", "/nearfield", "/neighbors",
    "/nfc", "/norm", "/normalize", "/number", "/numchannels", "/numinputs", "/numinternals",
    "/numoutputs", "/numspeakers", "/offset", "/offsetx", "/offsety", "/offsetz", "/om", "/omni",
    "/opacity", "/open", "/openorclose", "/options", "/order", "/orientation", "/output", "/overwrite",
    "/pack", "/panlaw", "/panning", "/panrev", "/parallel", "/params", "/pattern", "/pause", "/phantom",
    "/phaseinvert", "/phone", "/phones", "/pitch", "/point", "/points", "/post", "/prer", "/pres",
    "/preset", "/progress", "/proportion", "/quality", "/quat", "/query", "/radial", "/radius", "/ramp",
    "/ramp/time", "/range", "/rate", "/ratio", "/reduction", "/reference", "/regularization", "/release",
    "/rendering", "/reset", "/resizable", "/result", "/resume", "/response", "/reverb", "/reverberance",
    "/revp", "/rmsaverage", "/roll", "/row", "/rowcol", "/room", "/roomsize", "/rotation", "/routing",
    "/ruler", "/samplerate", "/scale", "/scaling", "/select", "/selectivity", "/selected", "/session",
    "/set", "/settings", "/shape", "/size", "/", "/snapshot", "/solo", "/sorting", "/source", "/sources",
    "/spacing", "/speaker", "/speakers", "/speakerhull", "/speed", "/spread", "/start", "/status",
    "/stereo", "/stereos", "/stop", "/stride", "/style", "/subwoofer", "/subwoofers", "/tab", "/tau",
    "/teleport", "/text", "/thickness", "/threshold", "/time", "/title", "/tofront", "/toback",
    "/tooltip", "/topleft", "/topology", "/tree", "/trim", "/tr0", "/trl", "/trm", "/trh", "/track",
    "/triangulation", "/type", "/unit", "/value", "/vertex", "/viewer", "/viewpoint", "/visible",
    "/vumeter", "/vumeters", "/warm", "/warmth", "/wclose", "/weight", "/weights", "/width", "/window",
    "/warp", "/wrap", "/xtick", "/xy", "/xyz", "/yaw", "/ypr", "/ytick", "/zoom", "/preset/export",
    "/preset/save", "/preset/store", "/preset/load", "/preset/import", "/preset/recall", "/post/state",
    "/post/doc", "/post/version", "/post/symbols",
};
// clang-format on

static_assert(std::size(texts) == OscVocabulary::numTexts);

} // namespace

char const* const* OscVocabulary::GetTexts() noexcept
{
    return texts;
}

} // namespace qev
