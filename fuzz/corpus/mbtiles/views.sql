CREATE TABLE metadata (name text, value text);
INSERT INTO metadata VALUES ('format', 'jpg'), ('minzoom', '1'), ('maxzoom', '1');
CREATE TABLE map (zoom_level integer, tile_column integer, tile_row integer, tile_id text);
CREATE TABLE images (tile_data blob, tile_id text);
CREATE UNIQUE INDEX map_index ON map (zoom_level, tile_column, tile_row);
INSERT INTO map VALUES (1, 0, 1, 'a'), (1, 1, 1, 'a');
INSERT INTO images VALUES (x'ffd8ffe000104a464946', 'a');
CREATE UNIQUE INDEX images_id ON images (tile_id);
CREATE VIEW tiles AS SELECT map.zoom_level AS zoom_level, map.tile_column AS tile_column,
  map.tile_row AS tile_row, images.tile_data AS tile_data FROM map JOIN images ON images.tile_id = map.tile_id;
