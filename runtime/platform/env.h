// env.h - the process environment: read, set, remove, and list.
#pragma once
#include <string>
#include <vector>

// false when the variable is not set.
bool platform_get_env(const char* name, std::string& value);
// Sets the variable for this process and the processes it starts.
bool platform_set_env(const char* name, const char* value);
bool platform_unset_env(const char* name);
// Every "name=value" entry in the environment's own order.
std::vector<std::string> platform_environment();
