#include "app/environment.h"

#include "base/text.h"

namespace {

const std::wstring* Find(const Variables& variables, const std::wstring& name) {
    for (const auto& variable : variables) {
        if (EqualsIgnoringCase(variable.first, name))
            return &variable.second;
    }
    return nullptr;
}

void Set(Variables& variables, const std::wstring& name, const std::wstring& value) {
    for (auto& variable : variables) {
        if (EqualsIgnoringCase(variable.first, name)) {
            variable.second = value;
            return;
        }
    }
    variables.emplace_back(name, value);
}

// %NAME% replaced by its value, looked up in first and then in variables; an
// unknown name is left as written.
std::wstring Expand(const std::wstring& text, const Variables& first, const Variables& variables) {
    std::wstring result;
    size_t at = 0;
    for (;;) {
        size_t open = text.find(L'%', at);
        size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos)
            return result + text.substr(at);
        result += text.substr(at, open - at);
        std::wstring name = text.substr(open + 1, close - open - 1);
        const std::wstring* value = Find(first, name);
        if (!value)
            value = Find(variables, name);
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
    for (const auto& twins : kWow64Twins) {
        if (EqualsIgnoringCase(name, twins[0]) || EqualsIgnoringCase(name, twins[1]))
            return true;
    }
    return false;
}

// A 32-bit process on 64-bit Windows sees WOW64's values of these; 64-bit
// Explorer expands the registry's values with its own, which WOW64 keeps for
// us under other names.
Variables ExplorersOwn(const Variables& current) {
    Variables own;
    if (!Find(current, L"PROCESSOR_ARCHITEW6432"))
        return own;
    for (const auto& twins : kWow64Twins) {
        if (const std::wstring* value = Find(current, twins[1]))
            own.emplace_back(twins[0], *value);
    }
    return own;
}

bool HasPath(const std::vector<EnvironmentValue>& values) {
    for (const EnvironmentValue& value : values) {
        if (EqualsIgnoringCase(value.name, L"Path"))
            return true;
    }
    return false;
}

// systemPath: set for the user's key, whose Path follows the system's.
void Apply(Variables& variables, const Variables& explorers,
           const std::vector<EnvironmentValue>& values, const std::wstring* systemPath) {
    for (bool expandable : {false, true}) {
        for (const EnvironmentValue& value : values) {
            if (value.expandable != expandable || value.name.empty() || IsPerProcess(value.name))
                continue;
            std::wstring data = expandable ? Expand(value.data, explorers, variables) : value.data;
            if (systemPath && !systemPath->empty() && EqualsIgnoringCase(value.name, L"Path"))
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
    const Variables explorers = ExplorersOwn(current);
    Apply(built, explorers, system, nullptr);
    std::wstring systemPath;
    if (HasPath(system))
        systemPath = *Find(built, L"Path");
    Apply(built, explorers, user, &systemPath);
    Apply(built, explorers, volatileValues, nullptr);
    Variables changes;
    for (const auto& variable : built) {
        const std::wstring* before = Find(current, variable.first);
        if (!before || *before != variable.second)
            changes.push_back(variable);
    }
    return changes;
}

Variables BlockVariables(const wchar_t* block) {
    Variables variables;
    for (const wchar_t* entry = block; *entry;) {
        const wchar_t* equals = entry;
        while (*equals && (*equals != L'=' || equals == entry))
            ++equals;
        const wchar_t* end = equals;
        while (*end)
            ++end;
        if (*entry != L'=' && *equals)
            variables.emplace_back(std::wstring(entry, equals), std::wstring(equals + 1, end));
        entry = end + 1;
    }
    return variables;
}

std::wstring VariableValue(const Variables& variables, const std::wstring& name) {
    const std::wstring* value = Find(variables, name);
    return value ? *value : std::wstring();
}
