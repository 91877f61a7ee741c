#include "app/environment.h"

#include <cwctype>

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

const std::wstring* Find(const Variables& variables, const std::wstring& name) {
    for (const auto& variable : variables) {
        if (SameName(variable.first, name))
            return &variable.second;
    }
    return nullptr;
}

void Set(Variables& variables, const std::wstring& name, const std::wstring& value) {
    for (auto& variable : variables) {
        if (SameName(variable.first, name)) {
            variable.second = value;
            return;
        }
    }
    variables.emplace_back(name, value);
}

// %NAME% replaced by its value; an unknown name is left as written.
std::wstring Expand(const std::wstring& text, const Variables& variables) {
    std::wstring result;
    size_t at = 0;
    for (;;) {
        size_t open = text.find(L'%', at);
        size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos)
            return result + text.substr(at);
        result += text.substr(at, open - at);
        const std::wstring* value = Find(variables, text.substr(open + 1, close - open - 1));
        if (value) {
            result += *value;
            at = close + 1;
        } else {
            result += text.substr(open, close - open); // its closing % may open the next
            at = close;
        }
    }
}

// WOW64 gives each process its own: the 32-bit build's are the 32-bit ones.
bool IsPerProcess(const std::wstring& name) {
    for (const wchar_t* own :
         {L"PROCESSOR_ARCHITECTURE", L"PROCESSOR_ARCHITEW6432", L"ProgramFiles", L"ProgramW6432",
          L"CommonProgramFiles", L"CommonProgramW6432"}) {
        if (SameName(name, own))
            return true;
    }
    return false;
}

bool HasPath(const std::vector<EnvironmentValue>& values) {
    for (const EnvironmentValue& value : values) {
        if (SameName(value.name, L"Path"))
            return true;
    }
    return false;
}

// systemPath: set for the user's key, whose Path follows the system's.
void Apply(Variables& variables, const std::vector<EnvironmentValue>& values,
           const std::wstring* systemPath) {
    for (bool expandable : {false, true}) {
        for (const EnvironmentValue& value : values) {
            if (value.expandable != expandable || value.name.empty() || IsPerProcess(value.name))
                continue;
            std::wstring data = expandable ? Expand(value.data, variables) : value.data;
            if (systemPath && !systemPath->empty() && SameName(value.name, L"Path"))
                data = data.empty() ? *systemPath : *systemPath + L";" + data;
            Set(variables, value.name, data);
        }
    }
}

} // namespace

Variables EnvironmentChanges(const Variables& current, const std::vector<EnvironmentValue>& system,
                             const std::vector<EnvironmentValue>& user,
                             const std::vector<EnvironmentValue>& volatileValues) {
    Variables built = current;
    Apply(built, system, nullptr);
    std::wstring systemPath;
    if (HasPath(system))
        systemPath = *Find(built, L"Path");
    Apply(built, user, &systemPath);
    Apply(built, volatileValues, nullptr);
    Variables changes;
    for (const auto& variable : built) {
        const std::wstring* before = Find(current, variable.first);
        if (!before || *before != variable.second)
            changes.push_back(variable);
    }
    return changes;
}
