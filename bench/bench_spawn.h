// bench_spawn.h - starting the built program (or a baseline) from a
// benchmark: this process's environment with some entries set anew.
#pragma once
#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

extern char** environ;

// Starts args[0] with `args`. The environment is this process's with each
// "NAME=value" of `set` replacing any entry of that name: getenv finds the
// first entry, so an appended one would not count. Gives the pid, 0 when
// the program did not start.
inline pid_t spawn_program(const std::vector<std::string>& args, const std::vector<std::string>& set = {}) {
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    bool replaced = false;
    for (const std::string& s : set) replaced = replaced || v.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
    if (!replaced) env_text.push_back(v);
  }
  env_text.insert(env_text.end(), set.begin(), set.end());
  std::vector<std::string> arg_text = args;
  std::vector<char*> env, argv;
  for (auto& v : env_text) env.push_back(v.data());
  env.push_back(nullptr);
  for (auto& a : arg_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env.data()) == 0 ? pid : 0;
}
