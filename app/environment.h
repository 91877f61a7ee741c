// The user's environment as it is now, for Kelvarion and what it starts.
#pragma once

#include <string>
#include <utility>
#include <vector>

using Variables = std::vector<std::pair<std::wstring, std::wstring>>;

// A value of one of the registry's Environment keys.
struct EnvironmentValue {
    std::wstring name;
    std::wstring data;
    bool expandable = false; // REG_EXPAND_SZ
};

// What to change when Windows says the environment changed, as Explorer
// rebuilds its own: the current environment, then the system's variables,
// the user's and the volatile ones, each key's plain values first and its
// expandable ones expanded against what is built so far. Path is the system's
// followed by the user's. A variable only this process was started with stays;
// those WOW64 sets for each process keep this process's values, but under
// WOW64 the values are expanded with 64-bit Explorer's (%ProgramFiles% is
// C:\Program Files). The result holds only the variables whose value is new.
Variables EnvironmentChanges(const Variables& current, const std::vector<EnvironmentValue>& system,
                             const std::vector<EnvironmentValue>& user,
                             const std::vector<EnvironmentValue>& volatileValues);

// The variables of an environment block ("NAME=value", each ending in a NUL,
// then one more NUL); the drives' folders ("=C:=C:\dir") are not variables.
Variables BlockVariables(const wchar_t* block);
// The value of name, the letter case aside; empty when it is not set.
std::wstring VariableValue(const Variables& variables, const std::wstring& name);
