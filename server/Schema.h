#pragma once

#include <QList>
#include <QStringList>

namespace korvex::server {

// Migration N (counted from 1) turns a database of schema version N-1 into version N. Never edit a released
// step: add a new one.
const QList<QStringList>& SchemaMigrations();

} // namespace korvex::server
