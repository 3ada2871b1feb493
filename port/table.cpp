#include "port/table.hpp"

#include "port/tables.hpp"  // generated from port/tables/*.table

#include <cstring>

namespace lumvert {

namespace {

bool number_of(const char* word, std::uint32_t& number)
{
    std::uint64_t value = 0;
    for (const char* digit = word; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(*digit - '0');
        if (value > UINT32_MAX) return false;
    }
    number = static_cast<std::uint32_t>(value);
    return *word != '\0';
}

bool fail(text_builder& why, std::size_t line, const char* problem, const char* word = "")
{
    append(why, "line ");
    append(why, std::uint64_t{line});
    append(why, ": ");
    append(why, problem);
    append(why, shown_bytes{word, std::strlen(word)});
    return false;
}

// Reads one line's rule into `rule`, its words ended in place, and moves `at` to the next line;
// false where it is wrong. A word is a run up to white space, or a quoted run; # starts a comment.
bool read_rule(char*& at, std::size_t line, table_rule& rule, bool& empty, text_builder& why)
{
    char* end = at + std::strcspn(at, "\n");
    char* next = *end == '\n' ? end + 1 : end;
    *end = '\0';
    char* words[4] = {};
    std::size_t count = 0;
    for (char* c = at;;) {
        c += std::strspn(c, " \t\r");
        if (*c == '\0' || *c == '#') break;
        if (count == 4) return fail(why, line, "too many words");
        const bool quoted = *c == '"';
        char* word = quoted ? c + 1 : c;
        c = word + std::strcspn(word, quoted ? "\"" : " \t\r#");
        if (quoted && *c != '"') return fail(why, line, "a quote that does not close");
        words[count++] = word;
        const char stop = *c;
        *c = '\0';
        if (stop == '\0' || stop == '#') break;
        ++c;
    }
    at = next;
    empty = count == 0;
    if (empty) return true;
    const struct {
        const char* name;
        rule_kind kind;
        std::size_t words;
    } kinds[] = {{"rename", rule_kind::rename, 3},
                 {"drop", rule_kind::drop, 2},
                 {"set", rule_kind::set, 4},
                 {"flags", rule_kind::flags, 3}};
    for (const auto& kind : kinds) {
        if (std::strcmp(words[0], kind.name) != 0) continue;
        if (count != kind.words) return fail(why, line, "wrong number of words for ", kind.name);
        rule = {kind.kind, words[1], words[2], words[3], 0};
        if (kind.kind == rule_kind::flags && !number_of(words[2], rule.bits)) {
            return fail(why, line, "flags takes a number, not ", words[2]);
        }
        return true;
    }
    return fail(why, line, "no such rule: ", words[0]);
}

}  // namespace

const char* default_table(game target)
{
    return target == game::rtcw_mp ? rtcw_mp_table : target == game::et ? et_table : nullptr;
}

const table_rule* rule_for(const port_table& table, rule_kind kind, const char* classname)
{
    for (std::size_t i = 0; i < table.rules; ++i) {
        const table_rule& rule = table.rule[i];
        if (rule.kind == kind && std::strcmp(rule.from, classname) == 0) return &rule;
    }
    return nullptr;
}

// A class is renamed or dropped once at the most, and whatever it becomes must spawn.
bool read_table(port_table& table, const game_row& target, text_builder& why)
{
    table.rules = 0;
    char* at = table.text;
    std::size_t lines[most_rules];
    for (std::size_t line = 1; *at != '\0'; ++line) {
        table_rule rule{};
        bool empty = false;
        if (!read_rule(at, line, rule, empty, why)) return false;
        if (empty) continue;
        if (table.rules == most_rules) return fail(why, line, "more rules than a table holds");
        const bool fate = rule.kind == rule_kind::rename || rule.kind == rule_kind::drop;
        for (std::size_t i = 0; fate && i < table.rules; ++i) {
            const table_rule& other = table.rule[i];
            if ((other.kind == rule_kind::rename || other.kind == rule_kind::drop) &&
                std::strcmp(other.from, rule.from) == 0) {
                return fail(why, line, "a second rename or drop of ", rule.from);
            }
        }
        lines[table.rules] = line;
        table.rule[table.rules++] = rule;
    }
    for (std::size_t i = 0; i < table.rules; ++i) {
        const table_rule& rule = table.rule[i];
        if (rule.kind == rule_kind::drop) continue;
        const table_rule* renamed = rule_for(table, rule_kind::rename, rule.from);
        const char* becomes = rule.kind == rule_kind::rename ? rule.to
                              : renamed != nullptr           ? renamed->to
                                                             : rule.from;
        if (rule.kind != rule_kind::rename && rule_for(table, rule_kind::drop, rule.from)) {
            return fail(why, lines[i], "a rule for a class the table drops: ", rule.from);
        }
        if (!spawns(target, becomes)) {
            return fail(why, lines[i], "a class the game cannot spawn: ", becomes);
        }
    }
    return true;
}

}  // namespace lumvert
