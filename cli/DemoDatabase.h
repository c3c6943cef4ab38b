#pragma once
// Creates a demo database of the forestry suite with the embedded (SQLite) schema.

#include <QString>
#include <cstdint>

namespace qvl {

struct DemoOptions {
    int owners = 250;
    std::uint32_t seed = 1;
};

// The schema text, identical to the suite's schema file (kept in cli/suite-schema.sqlite.sql).
QString suiteSchemaSql();

// Creates FILE, which must not exist yet, and fills it; deterministic for a seed.
// Returns false with a German message in *error on failure.
bool createDemoDatabase(const QString &file, const DemoOptions &options, QString *error);

} // namespace qvl
