// gen_catalogue.h - a made-up CODE.INI of any size, the same bytes for the
// same seed on every machine: names built from programming words ("Vector
// Add Clamped", "ReadConfigLine"), descriptions of a sentence or two, a few
// dozen authors (some with accented letters), and code of two to ten
// lines in the shape of each category. 10,000 snippets per category come to
// about 20 MB. Used by the search benchmarks, the command-line benchmarks,
// the search tests and the gen_catalogue tool.
#pragma once
#include <cstdint>
#include <random>
#include <string>

namespace gen_catalogue {

inline const char* const kSections[6] = {"Extend_Types", "Types", "Functions", "Subroutines", "Constants", "INLINE"};

inline const char* const kWords[] = {
    "vector", "matrix", "string", "buffer", "sprite", "sound", "file", "path", "config", "line", "word", "list",
    "array", "queue", "stack", "tree", "node", "graph", "timer", "clock", "mouse", "key", "joystick", "screen",
    "colour", "pixel", "image", "font", "text", "number", "random", "angle", "point", "rect", "circle", "polygon",
    "collision", "physics", "player", "enemy", "bullet", "level", "map", "tile", "camera", "menu", "button", "window",
    "dialog", "score", "health", "inventory", "item", "network", "socket", "packet", "hash", "sort", "search",
    "parse", "format", "encode", "decode", "compress", "read", "write", "load", "save", "add", "remove", "insert",
    "clamp", "lerp", "scale", "rotate", "move", "draw", "update", "reset", "init", "free", "copy", "swap", "find",
    "count", "split", "join", "trim", "upper", "lower", "crypt", "checksum", "particle", "emitter", "shader", "mesh"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

inline const char* const kAuthors[] = {
    "Ada Brook", "Ben Carver", "Cleo Dunn", "Dev Ortiz", "Eli Frost", "Fay Grant", "Gus Hale", "Hana Ives",
    "Ivo Jansen", "Jun Kato", "Kai Lund", "Lena Moss", "Milo Nash", "Nora Pike", "Otto Quist", "Pia Rowe",
    "Jos\xe9 P\xe9rez", "J\xfcrgen M\xfcller", "\xc5sa Str\xf6m", "Fran\xe7ois Roux", "Rui Sousa", "Sam Tate",
    "Tove Ulv", "Uma Vance", "Vic Wells", "Wes Yardley", "Xia Zhou", "Yara Adams", "Zed Brown", "-----"};
constexpr int kAuthorCount = int(sizeof(kAuthors) / sizeof(kAuthors[0]));

inline const char* const kVerbs[] = {"Returns", "Computes", "Draws", "Reads", "Writes", "Keeps", "Finds", "Turns",
                                     "Checks", "Builds", "Moves", "Counts"};
inline const char* const kTails[] = {"without allocating", "for the current frame", "in place",
                                     "as a new string", "from a file on disk", "quickly, good for games",
                                     "with wrap-around at the edges", "and returns the old value",
                                     "so that nothing flickers", "in Latin-1, accents and all (\xe9\xe8\xe0)"};

struct Rng {
  std::mt19937 r;
  explicit Rng(uint32_t seed) : r(seed) {}
  uint32_t below(uint32_t n) { return uint32_t(r() % n); }
  const char* word() { return kWords[below(kWordCount)]; }
};

inline std::string capital(std::string w) {
  if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = char(w[0] - 32);
  return w;
}

// A name of two to four words, joined with blanks, capitals or "_".
inline std::string make_name(Rng& g, int serial) {
  int words = 2 + int(g.below(3));
  int style = int(g.below(3));
  std::string name;
  for (int i = 0; i < words; ++i) {
    std::string w = g.word();
    if (style == 0) name += (i ? " " : "") + capital(w);
    else if (style == 1) name += capital(w);
    else name += (i ? "_" : "") + w;
  }
  // some names repeat across categories, most are unique
  if (g.below(10) != 0) name += " " + std::to_string(serial);
  return name;
}

inline std::string make_code(Rng& g, int section, const std::string& name) {
  std::string id;
  for (char c : name)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) id += c;
  int lines = 2 + int(g.below(7));
  std::string body;
  for (int i = 0; i < lines; ++i) {
    std::string a = g.word(), b = g.word();
    switch (g.below(5)) {
      case 0: body += "    LOCAL " + a + "% = " + std::to_string(g.below(1000)); break;
      case 1: body += "    IF " + a + " > " + b + " THEN " + a + " = " + b; break;
      case 2: body += "    FOR i = 0 TO LEN(" + a + "[]) - 1|        " + b + " = " + b + " + " + a + "[i]|    NEXT"; break;
      case 3: body += "    // " + capital(a) + " the " + b + " before it is used"; break;
      default: body += "    " + a + "$ = MID$(" + b + "$, " + std::to_string(g.below(40)) + ", 8)"; break;
    }
    body += "|";
  }
  switch (section) {
    case 0: return "TYPE T" + id + "|" + body + "ENDTYPE";
    case 1: return "TYPE t" + id + "|" + body + "ENDTYPE";
    case 2: return "FUNCTION " + id + ": " + g.word() + ", " + g.word() + "|" + body + "ENDFUNCTION";
    case 3: return "SUB " + id + ":|" + body + "ENDSUB";
    case 4: return "CONSTANT " + id + " = " + std::to_string(g.below(100000));
    default: return "INLINE|  }|" + body + "  namespace __TOLVANE__ {|ENDINLINE";
  }
}

// The whole file, CR LF line ends, keys in the order the program writes them.
inline std::string generate(int per_category, uint32_t seed = 20) {
  Rng g(seed);
  std::string out;
  out.reserve(size_t(per_category) * 6 * 360);
  int serial = 0;
  for (int s = 0; s < 6; ++s) {
    out += "[";
    out += kSections[s];
    out += "]\r\n";
    for (int n = 0; n < per_category; ++n) {
      std::string num = std::to_string(n);
      std::string name = make_name(g, serial++);
      out += "NAME" + num + "=" + name + "\r\n";
      out += "DESCRIPTION" + num + "=" + kVerbs[g.below(12)] + " the " + g.word() + " of a " + g.word() + " " +
             kTails[g.below(10)] + ".\r\n";
      out += "AUTHOR" + num + "=" + kAuthors[g.below(kAuthorCount)] + "\r\n";
      std::string code = make_code(g, s, name);
      // constants are short; pad some with a comment block like real ones
      if (s == 4 && g.below(2)) code += "|// " + std::string(kTails[g.below(10)]) + "|// see also " + g.word();
      out += "CODE" + num + "=" + code + "\r\n";
    }
  }
  return out;
}

}  // namespace gen_catalogue
