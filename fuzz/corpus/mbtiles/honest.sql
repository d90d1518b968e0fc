CREATE TABLE metadata (name text, value text);
INSERT INTO metadata VALUES ('name', 'Honest'), ('format', 'png'), ('minzoom', '0'), ('maxzoom', '2'),
  ('bounds', '-180,-85,180,85'), ('attribution', '<a href="x">&copy; Maps</a>');
CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob);
CREATE UNIQUE INDEX tile_index ON tiles (zoom_level, tile_column, tile_row);
INSERT INTO tiles VALUES (0, 0, 0, x'89504e470d0a1a0a'), (1, 0, 1, x'ffd8ffe0'), (2, 0, 3, 'text');
