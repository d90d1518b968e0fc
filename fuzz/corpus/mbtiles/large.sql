CREATE TABLE metadata (name, value);
INSERT INTO metadata VALUES ('format', 'png'), ('name', zeroblob(100));
CREATE TABLE tiles (zoom_level, tile_column, tile_row, tile_data);
INSERT INTO tiles VALUES (0, 0, 0, zeroblob(2097153)), (1, 0, 0, randomblob(2097152));
