// cli.cpp - the command line's commands, argument parsing, help texts and
// the terminal's side of text: UTF-8 out and in, stored as Latin-1.
#include "app/cli.h"

#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/catalogue.h"
#include "app/catalogue_place.h"
#include "app/search.h"
#include "runtime/platform/child_process.h"
#include "runtime/platform/env.h"
#include "runtime/platform/process_info.h"
#include "runtime/platform/platform_files.h"
#include "runtime/platform/terminal.h"
#include "runtime/platform/utf8_text.h"
#include "runtime/values/string_lib.h"

CliClipboard cli_clipboard = nullptr;

namespace {

const char kVersion[] = "snipvault 1.0";

enum Exit { kDone = 0, kNotFound = 1, kUsage = 2, kFileError = 3 };

// --- output -------------------------------------------------------------------

// Standard output, gathered and written in large pieces; once the reader
// has gone (a closed pipe) nothing more is written and nothing is said.
struct Output {
  std::string buffer;
  bool closed = false;
  void flush() {
    if (!closed && !buffer.empty() && !platform_write_all(kStandardOutput, buffer.data(), buffer.size()))
      closed = true;
    buffer.clear();
  }
  void put(const std::string& utf8) {
    buffer += utf8;
    if (buffer.size() >= 1 << 16) flush();
  }
  ~Output() { flush(); }
};

std::string utf8(const TvString& latin1) {
  return platform_latin1_to_utf8(std::string(latin1.data, latin1.length));
}
std::string utf8(const char* latin1, uint32_t n) { return platform_latin1_to_utf8(std::string(latin1, n)); }

void say(const std::string& utf8_line) {
  std::string line = "snipvault: " + utf8_line + "\n";
  platform_write_all(kStandardError, line.data(), line.size());
}

// The terminal's UTF-8 as Latin-1: false for bytes that are not UTF-8 (or a
// NUL); characters beyond Latin-1 become "?" and set `lossy`.
bool from_terminal(const std::string& in, TvString& out, bool& lossy) {
  std::string latin1;
  latin1.reserve(in.size());
  size_t i = 0, n = in.size();
  while (i < n) {
    uint8_t c = uint8_t(in[i]);
    if (c == 0) return false;
    if (c < 0x80) {
      latin1 += char(c);
      ++i;
      continue;
    }
    int len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (len == 0 || i + size_t(len) > n) return false;
    uint32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (int k = 1; k < len; ++k) {
      uint8_t d = uint8_t(in[i + size_t(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // overlong forms, surrogates and numbers beyond Unicode are not UTF-8
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    if (cp <= 0xFF) {
      latin1 += char(cp);
    } else {
      latin1 += '?';
      lossy = true;
    }
    i += size_t(len);
  }
  out = TvString(latin1.data(), uint32_t(latin1.size()));
  return true;
}

std::string json_string(const std::string& utf8_text) {
  std::string out = "\"";
  for (char ch : utf8_text) {
    uint8_t c = uint8_t(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

// --- arguments ----------------------------------------------------------------

struct Args {
  std::string command;
  std::vector<std::string> words;
  std::string catalogue, category, description, author;
  bool has_catalogue = false, has_category = false, has_description = false, has_author = false;
  bool json = false, all = false, yes = false, allow_bar = false, help = false, version = false;
  std::vector<std::string> options;  // as given, to check against the command
};

struct Command {
  const char* name;
  const char* usage;
  const char* options;  // the options it takes, blank-separated
  const char* help;
};

const Command kCommands[] = {
    {"list", "list [CATEGORY] [--json]", "--json",
     "Lists the snippets, one a line: name, a tab, category; by category, then\n"
     "name, as the viewer shows them. With CATEGORY only that category.\n"},
    {"show", "show NAME [-c CATEGORY] [--all] [--json]", "-c --all --json",
     "Writes the snippet's code as \"Copy To Clipboard\" gives it (on a terminal a\n"
     "line break is added after the last line). --all adds name, category,\n"
     "description and author first.\n"},
    {"search", "search WORDS... [-c CATEGORY] [--json]", "-c --json",
     "Lists the snippets holding every word (in name, description, author or\n"
     "code, case ignored), best first, one a line: name, a tab, category.\n"
     "A word in double quotes matches exactly, blanks included: search '\"for each\"'.\n"
     "Exit code 1 when nothing matches.\n"},
    {"add", "add CATEGORY NAME [-d DESCRIPTION] [-a AUTHOR] [--allow-bar]", "-d -a --allow-bar",
     "Adds a snippet; the code is read from standard input (the category's\n"
     "template when standard input is a terminal). The catalogue stores \"|\"\n"
     "as a line break, so code holding \"|\" is refused unless --allow-bar.\n"},
    {"edit", "edit NAME [-c CATEGORY] [--allow-bar]", "-c --allow-bar",
     "Opens the snippet's code in $VISUAL, $EDITOR or vi; when the editor ends\n"
     "with exit code 0 and the text changed, the snippet is saved in place\n"
     "(same number). If another program changed or removed it meanwhile, nothing\n"
     "is overwritten and the edited text is kept in a file named in the message.\n"},
    {"rm", "rm NAME [-c CATEGORY] [-y]", "-c -y",
     "Removes the snippet; the ones after it in its category are renumbered.\n"
     "Asks first on a terminal; -y does not ask (and is needed without one).\n"},
    {"copy", "copy NAME [-c CATEGORY]", "-c",
     "Puts the snippet's code on the desktop's clipboard (needs a display); it\n"
     "stays there after the command has ended.\n"},
    {"path", "path", "", "Writes the path of the catalogue file in use.\n"},
};

const Command* find_command(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

void print_help(Output& out) {
  std::string text =
      "Usage: snipvault                 the desktop program\n"
      "       snipvault --pick          the desktop program, straight into search\n"
      "       snipvault COMMAND [ARGS]  on the command line:\n\n";
  for (const Command& c : kCommands) text += "  snipvault " + std::string(c.usage) + "\n";
  text +=
      "\nOptions for every command:\n"
      "  --catalogue FILE   use FILE (also: the SNIPVAULT_CATALOGUE variable)\n"
      "  --help             this text; COMMAND --help for one command\n"
      "  --version          the program's version\n\n"
      "Categories: Extend Types, Types, Functions, Subroutines, Constants, INLINE\n"
      "(case ignored; \"_\", \"-\" or a blank between words).\n"
      "A name is taken exactly, else ignoring case when that gives one snippet.\n"
      "Exit codes: 0 done, 1 not found or ambiguous, 2 usage error,\n"
      "3 the catalogue could not be read or written.\n";
  out.put(text);
}

int usage_error(const std::string& problem, const std::string& command = "") {
  say(problem + " (see 'snipvault " + (command.empty() ? "" : command + " ") + "--help')");
  return kUsage;
}

// Parses into `a`; gives -1 when fine, else the exit code.
int parse(int argc, char** argv, Args& a) {
  bool options_end = false;
  auto value = [&](int& i, const std::string& opt, std::string& into, bool& has) -> bool {
    std::string arg = argv[i];
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      into = arg.substr(eq + 1);
    } else {
      if (i + 1 >= argc) return false;
      into = argv[++i];
    }
    has = true;
    a.options.push_back(opt);
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string key = arg.substr(0, arg.find('='));
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      if (a.command.empty()) a.command = arg;
      else a.words.push_back(arg);
      continue;
    }
    bool ok = true;
    if (arg == "--") options_end = true;
    else if (key == "--catalogue") ok = value(i, "--catalogue", a.catalogue, a.has_catalogue);
    else if (arg == "-c" || key == "--category") ok = value(i, "-c", a.category, a.has_category);
    else if (arg == "-d" || key == "--description") ok = value(i, "-d", a.description, a.has_description);
    else if (arg == "-a" || key == "--author") ok = value(i, "-a", a.author, a.has_author);
    else if (arg == "--json") a.json = true, a.options.push_back("--json");
    else if (arg == "--all") a.all = true, a.options.push_back("--all");
    else if (arg == "-y" || arg == "--yes") a.yes = true, a.options.push_back("-y");
    else if (arg == "--allow-bar") a.allow_bar = true, a.options.push_back("--allow-bar");
    else if (arg == "-h" || arg == "--help") a.help = true;
    else if (arg == "--version") a.version = true;
    else if (arg == "--pick") return usage_error("--pick starts the desktop program and takes no command");
    else return usage_error("unknown option " + arg, a.command);
    if (!ok) return usage_error(arg + " needs a value", a.command);
  }
  return -1;
}

// --- the catalogue ----------------------------------------------------------------

TvString catalogue_in_use(const Args& a) {
  if (a.has_catalogue) return TvString(a.catalogue.c_str());
  std::string env;
  if (platform_get_env("SNIPVAULT_CATALOGUE", env) && !env.empty()) return TvString(env.c_str());
  // the desktop program's rule, from the folder of the program file
  std::string self = platform_program_file();
  size_t slash = self.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : self.substr(0, slash);
  CataloguePlace place = choose_catalogue_place(TvString(folder.c_str()));
  if (!place.notice.empty()) say(utf8(place.notice));
  return place.path;
}

// A change waits for another program saving (a running viewer, another
// command) and says so once a second has passed.
Catalogue catalogue_for_change(const TvString& path) {
  Catalogue c;
  c.path = path;
  c.lock_wait_ms = 60000;
  uint64_t start = platform_monotonic_ms();
  auto said = std::make_shared<bool>(false);
  c.waiting = [start, said, path]() {
    if (!*said && platform_monotonic_ms() - start >= 1000) {
      *said = true;
      say("waiting for another program saving " + std::string(path.c_str()) + " ...");
    }
    return true;
  };
  return c;
}

// Text from a pipe or an editor as the catalogue takes it: one closing line
// break dropped (it ends the last line), CR LF and a lone CR as one line
// break. False when it is not UTF-8 (or holds a NUL).
bool code_from_terminal(std::string in, TvString& code, bool& lossy) {
  if (!in.empty() && in.back() == '\n') in.pop_back();
  if (!in.empty() && in.back() == '\r') in.pop_back();
  std::string lf;
  lf.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\r') lf += in[i];
    else if (i + 1 >= in.size() || in[i + 1] != '\n') lf += '\n';
  }
  return from_terminal(lf, code, lossy);
}

// The message of a refused or failed change, and its exit code.
int change_failed(const SaveOutcome& o, const TvString& path, const std::string& command) {
  if (o.error == CatalogueError::empty_name) return usage_error("A name MUST be given", command);
  if (o.error == CatalogueError::empty_code) return usage_error("Some code MUST be given", command);
  say("cannot save to " + std::string(path.c_str()) + ": " + utf8(o.reason) + "; it is unchanged");
  return kFileError;
}

// Category names match without regard to case, with "_", "-" or a blank
// between words.
std::string loose(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '_' || c == '-' || c == ' ') c = ' ';
    else if (c >= 'A' && c <= 'Z') c = char(c + 32);
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

int category_index(const std::string& text, const std::string& command, int32_t& index) {
  TvStringArray names;
  categories(names);
  for (int32_t c = 0; c < names.size1; ++c)
    if (loose(text) == loose(names(c).c_str())) {
      index = c;
      return -1;
    }
  return usage_error("no category \"" + text +
                         "\"; the categories are Extend Types, Types, Functions, Subroutines, Constants, INLINE",
                     command);
}

std::string category_name(int32_t c) {
  TvStringArray names;
  categories(names);
  return names(c).c_str();
}

int load(SearchIndex& ix, const TvString& path, SearchDepth depth) {
  if (search_load(ix, path, depth)) return -1;
  say("cannot read " + std::string(path.c_str()) + ": " + ix.error.c_str());
  return kFileError;
}

std::string row_line(const SearchIndex& ix, uint32_t i) {
  const SearchEntry& e = ix.entries[i];
  return utf8(e.name, e.name_length) + "\t" + category_name(e.category) + "\n";
}

std::string json_object(const SearchIndex& ix, uint32_t i) {
  Snippet s = search_snippet(ix, i);
  return "{\"name\": " + json_string(utf8(s.name)) +
         ", \"category\": " + json_string(category_name(ix.entries[i].category)) +
         ", \"description\": " + json_string(utf8(s.description)) +
         ", \"author\": " + json_string(utf8(s.author)) + ", \"code\": " + json_string(utf8(s.code)) + "}";
}

void put_rows(Output& out, const SearchIndex& ix, const std::vector<uint32_t>& rows, bool json) {
  if (json) out.put("[");
  for (size_t k = 0; k < rows.size(); ++k)
    out.put(json ? (k ? ",\n " : "") + json_object(ix, rows[k]) : row_line(ix, rows[k]));
  if (json) out.put("]\n");
}

bool name_equal_folded(const SearchEntry& e, const TvString& name) {
  if (e.name_length != name.length) return false;
  for (uint32_t i = 0; i < name.length; ++i)
    if (search_fold(uint8_t(e.name[i])) != search_fold(uint8_t(name.data[i]))) return false;
  return true;
}

// Viewer order: category, then name, then number.
bool viewer_before(const SearchIndex& ix, uint32_t a, uint32_t b) {
  const SearchEntry& x = ix.entries[a];
  const SearchEntry& y = ix.entries[b];
  if (x.category != y.category) return x.category < y.category;
  int c = std::memcmp(x.name, y.name, std::min(x.name_length, y.name_length));
  if (c != 0) return c < 0;
  if (x.name_length != y.name_length) return x.name_length < y.name_length;
  return x.number < y.number;
}

// The one snippet NAME means: an exact name wins, else a unique match
// ignoring case; several in one category are the same to the user, so the
// first the viewer lists is taken.
int resolve(const SearchIndex& ix, const Args& a, const std::string& command, uint32_t& found) {
  int32_t only = -1;
  if (a.has_category) {
    int r = category_index(a.category, command, only);
    if (r >= 0) return r;
  }
  bool lossy = false;
  TvString name;
  if (!from_terminal(a.words[0], name, lossy)) return usage_error("the name is not UTF-8 text", command);
  std::vector<uint32_t> exact, folded;
  for (uint32_t i = 0; i < ix.entries.size(); ++i) {
    const SearchEntry& e = ix.entries[i];
    if (only >= 0 && e.category != only) continue;
    if (e.name_length == name.length && std::memcmp(e.name, name.data, name.length) == 0) exact.push_back(i);
    else if (name_equal_folded(e, name)) folded.push_back(i);
  }
  std::vector<uint32_t>& pick = exact.empty() ? folded : exact;
  std::sort(pick.begin(), pick.end(), [&ix](uint32_t x, uint32_t y) { return viewer_before(ix, x, y); });
  if (pick.empty()) {
    say("no snippet named \"" + a.words[0] + "\"" + (only >= 0 ? " in " + category_name(only) : ""));
    return kNotFound;
  }
  bool one = exact.empty() ? pick.size() == 1 : ix.entries[pick.front()].category == ix.entries[pick.back()].category;
  if (!one) {
    std::string list;
    for (uint32_t i : pick) list += "  " + row_line(ix, i);
    say("\"" + a.words[0] + "\" names " + std::to_string(pick.size()) + " snippets; choose with -c CATEGORY or the exact name:\n" +
        list.substr(0, list.size() - 1));
    return kNotFound;
  }
  found = pick.front();
  return -1;
}

// --- commands ----------------------------------------------------------------------

int run_list(const Args& a, const TvString& path, Output& out) {
  if (a.words.size() > 1) return usage_error("list takes at most one category", "list");
  int32_t only = -1;
  if (!a.words.empty()) {
    int r = category_index(a.words[0], "list", only);
    if (r >= 0) return r;
  }
  SearchIndex ix;
  int r = load(ix, path, SearchDepth::ordered);
  if (r >= 0) return r;
  std::vector<uint32_t> rows;
  for (uint32_t i : ix.by_category)
    if (only < 0 || ix.entries[i].category == only) rows.push_back(i);
  put_rows(out, ix, rows, a.json);
  return kDone;
}

int run_show(const Args& a, const TvString& path, Output& out) {
  if (a.words.size() != 1) return usage_error("show takes one name", "show");
  SearchIndex ix;
  int r = load(ix, path, SearchDepth::entries);
  if (r >= 0) return r;
  uint32_t i = 0;
  r = resolve(ix, a, "show", i);
  if (r >= 0) return r;
  Snippet s = search_snippet(ix, i);
  if (a.json) {
    out.put(json_object(ix, i) + "\n");
    return kDone;
  }
  std::string code = utf8(s.code);
  if (a.all) {
    out.put("Name: " + utf8(s.name) + "\nCategory: " + category_name(ix.entries[i].category) +
            "\nDescription: " + utf8(s.description) + "\nAuthor: " + utf8(s.author) + "\n\n" + code + "\n");
    return kDone;
  }
  // byte for byte into a file or pipe; a terminal gets the prompt on a line of its own
  if (platform_is_terminal(kStandardOutput) && (code.empty() || code.back() != '\n')) code += "\n";
  out.put(code);
  return kDone;
}

int run_search(const Args& a, const TvString& path, Output& out) {
  if (a.words.empty()) return usage_error("search needs at least one word", "search");
  int32_t only = -1;
  if (a.has_category) {
    int r = category_index(a.category, "search", only);
    if (r >= 0) return r;
  }
  std::string joined;
  for (const std::string& w : a.words) joined += (joined.empty() ? "" : " ") + w;
  TvString query;
  bool lossy = false;
  if (!from_terminal(joined, query, lossy)) return usage_error("the words are not UTF-8 text", "search");
  if (lossy) say("warning: characters outside Latin-1 were searched for as \"?\"");
  SearchIndex ix;
  int r = load(ix, path, SearchDepth::matching);
  if (r >= 0) return r;
  std::vector<SearchRow> found;
  search_run(ix, query, found);
  std::vector<uint32_t> rows;
  for (const SearchRow& row : found)
    if (only < 0 || row.category == only) rows.push_back(row.entry);
  if (rows.empty() && !a.json) {
    say("No snippet matches");
    return kNotFound;
  }
  put_rows(out, ix, rows, a.json);
  return rows.empty() ? kNotFound : kDone;
}

int run_add(const Args& a, const TvString& path) {
  if (a.words.size() != 2) return usage_error("add takes a category and a name", "add");
  int32_t category = -1;
  int r = category_index(a.words[0], "add", category);
  if (r >= 0) return r;
  bool lossy = false;
  Snippet s;
  if (!from_terminal(a.words[1], s.name, lossy)) return usage_error("the name is not UTF-8 text", "add");
  if (!from_terminal(a.description, s.description, lossy))
    return usage_error("the description is not UTF-8 text", "add");
  if (!from_terminal(a.author, s.author, lossy)) return usage_error("the author is not UTF-8 text", "add");
  if (platform_is_terminal(kStandardInput)) {
    s.code = cli_code_template(category);
  } else {
    std::string in;
    if (!platform_read_all(kStandardInput, in)) {
      say("cannot read standard input: " + platform_last_error_text());
      return kUsage;
    }
    if (!code_from_terminal(in, s.code, lossy))
      return usage_error("standard input is not UTF-8 text (or holds a NUL byte); nothing was saved", "add");
  }
  if (!a.allow_bar && string_find(s.code, "|", 0) >= 0)
    return usage_error("the code holds \"|\", which the catalogue stores as a line break; --allow-bar saves it anyway",
                       "add");
  Snippet prepared = s;
  CatalogueError e = prepare_snippet(prepared);
  if (e == CatalogueError::empty_name) return usage_error("A name MUST be given", "add");
  if (e == CatalogueError::empty_code) return usage_error("Some code MUST be given", "add");
  if (lossy) say("warning: characters outside Latin-1 were stored as \"?\"");
  SnippetArray snippets;
  SaveOutcome o = save_snippet(catalogue_for_change(path), TvString(category_name(category).c_str()), snippets,
                               prepared, encode_code(prepared.code));
  return o.saved ? kDone : change_failed(o, path, "add");
}

// The snippet as loaded for a change, with the category's array it is in.
int shown_snippet(const Args& a, const TvString& path, const std::string& command, SearchIndex& ix, uint32_t& i) {
  int r = load(ix, path, SearchDepth::entries);
  if (r >= 0) return r;
  return resolve(ix, a, command, i);
}

int run_rm(const Args& a, const TvString& path) {
  if (a.words.size() != 1) return usage_error("rm takes one name", "rm");
  SearchIndex ix;
  uint32_t i = 0;
  int r = shown_snippet(a, path, "rm", ix, i);
  if (r >= 0) return r;
  const SearchEntry& e = ix.entries[i];
  std::string category = category_name(e.category);
  if (!a.yes) {
    if (!platform_is_terminal(kStandardInput) || !platform_is_terminal(kStandardError))
      return usage_error("rm asks first on a terminal; -y removes without asking", "rm");
    std::string question = "snipvault: remove \"" + utf8(e.name, e.name_length) + "\" from " + category + "? [y/N] ";
    platform_write_all(kStandardError, question.data(), question.size());
    std::string answer;
    char ch = 0;
    while (platform_read_some(kStandardInput, &ch, 1) == 1 && ch != '\n') answer += ch;
    if (answer != "y" && answer != "Y" && answer != "yes") return kDone;
  }
  SnippetArray snippets;  // the category as saved
  Snippet shown = search_snippet(ix, i);
  SaveOutcome o = delete_snippet(catalogue_for_change(path), TvString(category.c_str()), snippets, shown);
  return o.saved ? kDone : change_failed(o, path, "rm");
}

int run_edit(const Args& a, const TvString& path) {
  if (a.words.size() != 1) return usage_error("edit takes one name", "edit");
  SearchIndex ix;
  uint32_t i = 0;
  int r = shown_snippet(a, path, "edit", ix, i);
  if (r >= 0) return r;
  const SearchEntry& e = ix.entries[i];
  std::string category = category_name(e.category);
  SnippetArray snippets;  // the category as saved
  Snippet shown = search_snippet(ix, i);

  std::string file;
  PlatformFile f = kNoPlatformFile;
  for (int k = 0; k < 100 && f == kNoPlatformFile; ++k) {
    file = platform_temp_dir() + "snipvault-edit-" + std::to_string(platform_monotonic_ms() % 1000000) + "-" +
           std::to_string(k) + ".tvb";
    f = platform_file_create_exclusive(file.c_str());
  }
  std::string text = utf8(shown.code) + "\n";
  bool written = f != kNoPlatformFile && platform_file_write_at(f, 0, text.data(), int64_t(text.size()));
  if (f != kNoPlatformFile) platform_file_close(f);
  if (!written) {
    say("cannot write a file for the editor: " + platform_last_error_text());
    return kFileError;
  }
  std::string editor;
  if (!platform_get_env("VISUAL", editor) || editor.empty())
    if (!platform_get_env("EDITOR", editor) || editor.empty()) editor = "vi";
  int code = -1;
  // through the shell, so that an editor given with its options ("code -w") runs
  bool ran = platform_run({"/bin/sh", "-c", editor + " \"$1\"", "sh", file}, true, &code);
  std::string back;
  PlatformFile in = platform_file_open_read(file.c_str());
  bool read = in != kNoPlatformFile;
  if (read) {
    char chunk[65536];
    for (int64_t at = 0;;) {
      int64_t n = platform_file_read_at(in, at, chunk, sizeof chunk);
      if (n <= 0) {
        read = n == 0;
        break;
      }
      back.append(chunk, size_t(n));
      at += n;
    }
    platform_file_close(in);
  }
  if (!ran || code != 0) {
    platform_file_delete(file.c_str());
    say(ran ? "the editor ended with exit code " + std::to_string(code) + "; nothing was saved"
            : "cannot start the editor \"" + editor + "\"");
    return kFileError;
  }
  bool lossy = false;
  Snippet edited = shown;
  if (!read || !code_from_terminal(back, edited.code, lossy)) {
    say("the edited text is not UTF-8 (or cannot be read); nothing was saved, it is kept in " + file);
    return kUsage;
  }
  if (string_equal(edited.code, shown.code)) {
    platform_file_delete(file.c_str());
    return kDone;
  }
  if (!a.allow_bar && string_find(edited.code, "|", 0) >= 0) {
    say("the code holds \"|\", which the catalogue stores as a line break; nothing was saved, the text is kept in " +
        file + " (--allow-bar saves it anyway)");
    return kUsage;
  }
  if (lossy) say("warning: characters outside Latin-1 were stored as \"?\"");
  SaveOutcome o = replace_snippet(catalogue_for_change(path), TvString(category.c_str()), snippets, shown, edited);
  if (!o.saved) {
    int rc = change_failed(o, path, "edit");
    say("the edited text is kept in " + file);
    return rc;
  }
  platform_file_delete(file.c_str());
  return kDone;
}

int run_copy(int argc, char** argv, const Args& a, const TvString& path) {
  if (a.words.size() != 1) return usage_error("copy takes one name", "copy");
  if (!cli_clipboard) {
    std::string why = cli_hand_over_to_desktop(argc, argv);
    say("cannot reach the desktop's clipboard: " + why);
    return kFileError;
  }
  SearchIndex ix;
  int r = load(ix, path, SearchDepth::entries);
  if (r >= 0) return r;
  uint32_t i = 0;
  r = resolve(ix, a, "copy", i);
  if (r >= 0) return r;
  Snippet s = search_snippet(ix, i);
  std::string why;
  if (!cli_clipboard(std::string(s.code.text().data, s.code.text().length), why)) {
    say("cannot put the code on the clipboard: " + why);
    return kFileError;
  }
  return kDone;
}

}  // namespace

bool cli_wants_command(int argc, char** argv) {
  return !(argc <= 1 || (argc == 2 && std::strcmp(argv[1], "--pick") == 0));
}

TvString cli_code_template(int32_t category) {
  return category_template(category);
}

std::string cli_hand_over_to_desktop(int argc, char** argv) {
  std::string self = platform_program_file();
  std::string target = self.substr(0, self.rfind('/') + 1) + "snipvault-desktop";
  std::vector<std::string> args(argv, argv + argc);
  if (args.empty()) args.push_back(target);
  else args[0] = target;
  platform_replace_process(target, args);
  return target + ": " + platform_last_error_text();
}

int cli_main(int argc, char** argv) {
  platform_quiet_broken_pipe();
  Output out;
  Args a;
  int r = parse(argc, argv, a);
  if (r >= 0) return r;
  if (a.version) {
    out.put(std::string(kVersion) + "\n");
    return kDone;
  }
  const Command* c = find_command(a.command);
  if (a.command.empty() || (!c && a.help)) {
    if (!a.help) return usage_error("no command given");
    print_help(out);
    return kDone;
  }
  if (!c) return usage_error("no command \"" + a.command + "\"");
  if (a.help) {
    out.put("Usage: snipvault " + std::string(c->usage) + "\n\n" + c->help);
    return kDone;
  }
  for (const std::string& opt : a.options) {
    if (opt == "--catalogue") continue;
    std::string allowed = " " + std::string(c->options) + " ";
    if (allowed.find(" " + opt + " ") == std::string::npos)
      return usage_error(a.command + " takes no " + opt, a.command);
  }
  TvString path = catalogue_in_use(a);
  std::string name = c->name;
  if (name == "path") {
    if (!a.words.empty()) return usage_error("path takes no arguments", "path");
    out.put(std::string(path.c_str()) + "\n");
    return kDone;
  }
  if (name == "list") return run_list(a, path, out);
  if (name == "show") return run_show(a, path, out);
  if (name == "search") return run_search(a, path, out);
  if (name == "add") return run_add(a, path);
  if (name == "rm") return run_rm(a, path);
  if (name == "edit") return run_edit(a, path);
  return run_copy(argc, argv, a, path);
}
