CREATE TABLE metadata (name, value);
CREATE TABLE tiles (zoom_level, tile_column, tile_row, tile_data);
INSERT INTO tiles VALUES (0, 0, 0, x'1f8b0800');
