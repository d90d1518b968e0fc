#pragma once

// The layouts the generators write: the tag's own export with its fixed header, the export with
// "eobs_" columns, and the data repository's download (colon-hyphen names, every field quoted).
enum class export_layout { fixed, eobs, named };
