#pragma once

#include <QString>

// Strips one pair of surrounding double quotes; texts shorter than two characters or not
// quoted at both ends come back unchanged.
QString unquote(const QString& text);
