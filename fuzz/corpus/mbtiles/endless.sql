CREATE TABLE metadata (name, value);
CREATE TABLE t (z); INSERT INTO t VALUES (0), (1);
CREATE VIEW tiles AS SELECT z AS zoom_level, 0 AS tile_column, 0 AS tile_row, CASE WHEN z = 0 THEN x'00'
  ELSE (WITH RECURSIVE r(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM r) SELECT count(*) FROM r) END AS tile_data FROM t;
