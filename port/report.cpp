#include "port/report.hpp"

#include "map/json.hpp"

#include <cstring>

namespace lumvert {

namespace {

void out(const char* text) { put(stdout, text); }
void out(std::uint64_t number) { put(stdout, number); }

// Calls `take` with each rename rule that renamed a block, and its count.
template <typename taker>
void each_rename(const port_table& table, const port_counts& counts, taker take)
{
    for (std::size_t i = 0; i < table.rules; ++i) {
        if (counts.renames[i] > 0) take(table.rule[i], counts.renames[i]);
    }
}

void report_json(const port_names& names, const game_row& target, const port_table& table,
                 const port_counts& counts)
{
    out("{\"map\":");
    put_json_name(stdout, names.map);
    out(",\"target\":");
    put_json_name(stdout, names.target);
    out(",\"for\":");
    put_json(stdout, target.name);
    out(",\"entities\":{\"in\":");
    out(counts.in);
    out(",\"out\":");
    out(counts.out);
    out("},\"renamed\":{");
    const char* separator = "";
    // Each class is renamed by one rule at the most.
    each_rename(table, counts, [&](const table_rule& rule, std::uint64_t count) {
        out(separator);
        separator = ",";
        put_json(stdout, rule.from);
        out(":{");
        put_json(stdout, rule.to);
        out(":");
        out(count);
        out("}");
    });
    out("},\"dropped\":{");
    const name_counts& dropped = counts.dropped;
    for (std::size_t i = 0; i < dropped.listed; ++i) {
        out(i > 0 ? "," : "");
        put_json(stdout, name_of(dropped, dropped.counts[i]));
        out(":");
        out(dropped.counts[i].count);
    }
    out("},\"unlisted_dropped\":");
    out(dropped.unlisted);
    out(",\"added\":{");
    separator = "";
    const struct {
        const char* classname;
        std::uint64_t count;
    } added[] = {{"script_multiplayer", counts.managers},
                 {"team_WOLF_objective", counts.objectives}};
    for (const auto& each : added) {
        if (each.count == 0) continue;
        out(separator);
        separator = ",";
        put_json(stdout, each.classname);
        out(":");
        out(each.count);
    }
    out("},\"script\":");
    names.script != nullptr ? put_json_name(stdout, names.script) : out("null");
    out("}\n");
}

void report_text(const port_names& names, const game_row& target, const port_table& table,
                 const port_counts& counts)
{
    put_name(stdout, names.map, std::strlen(names.map));
    out(": ");
    out(counts.in);
    out(" entities, ");
    out(counts.renamed);
    out(" renamed, ");
    out(counts.dropped.total);
    out(" dropped, ");
    out(counts.managers + counts.objectives);
    out(" added\n  ported for ");
    out(target.title);
    out(" into ");
    put_name(stdout, names.target, std::strlen(names.target));
    out(": ");
    out(counts.out);
    out(" entities");
    const char* separator = "\n  renamed: ";
    each_rename(table, counts, [&](const table_rule& rule, std::uint64_t count) {
        out(separator);
        separator = ", ";
        put(stdout, shown_bytes{rule.from, std::strlen(rule.from)});
        out(" to ");
        put(stdout, shown_bytes{rule.to, std::strlen(rule.to)});
        out(" (");
        out(count);
        out(")");
    });
    const name_counts& dropped = counts.dropped;
    separator = "\n  dropped: ";
    for (std::size_t i = 0; i < dropped.listed; ++i) {
        out(separator);
        separator = ", ";
        const name_count& kind = dropped.counts[i];
        kind.length > 0 ? put(stdout, name_of(dropped, kind)) : out("no classname");
        out(" (");
        out(kind.count);
        out(")");
    }
    if (dropped.unlisted > 0) {
        out(dropped.listed > 0 ? ", and " : separator);
        out(dropped.unlisted);
        out(" more of kinds not listed");
    }
    if (counts.managers + counts.objectives > 0) {
        out("\n  added: ");
        if (counts.managers > 0) out("script_multiplayer (1)");
        if (counts.managers > 0 && counts.objectives > 0) out(", ");
        if (counts.objectives > 0) {
            out("team_WOLF_objective (");
            out(counts.objectives);
            out(")");
        }
    }
    out("\n  script: ");
    if (names.script != nullptr) {
        put_name(stdout, names.script, std::strlen(names.script));
    }
    else {
        out("the one beside the map is kept as it was");
    }
    out("\n\n");
}

}  // namespace

void print_port(const port_names& names, const game_row& target, const port_table& table,
                const port_counts& counts, bool json)
{
    json ? report_json(names, target, table, counts) : report_text(names, target, table, counts);
}

}  // namespace lumvert
