-- Schema of every catalogue. The build tool (tools/mktemplate) applies it to an empty
-- file to make the template zuvrax.db; the program itself never creates tables.
--
-- Declared column types and the field types the engine reads back from them:
--   INTEGER          Long (32-bit signed; keys are allocated by the program, never by SQLite)
--   DOUBLE           Double
--   DATE_REAL        Date, stored as the OLE date number (REAL affinity keeps it a REAL)
--   TEXT(n)          Text of at most n characters (also enforced by a CHECK)
--   MEMO_TEXT        Memo (TEXT affinity, so a memo such as "0012" stays text)
--   LONGBINARY_BLOB  Long binary (BLOB affinity, bytes stored as given)
--   BOOLEAN          Boolean, stored -1/0 (no column uses it yet)
-- Plain MEMO, DATETIME or LONGBINARY would get NUMERIC affinity and turn numeric-looking
-- texts into numbers, hence the suffixes.
--
-- No column names a collation of the program's: the standard SQLite tools must be able to
-- check, sort, dump and restore a catalogue. The program compares and sorts texts without
-- regard to case by naming its collation in the statements it runs (see platform/jet/JetSql.h).
--
-- Index names:
--   "PrimaryKey" of a table is its INTEGER PRIMARY KEY column (the rowid, no separate index).
--   Every other index is named "<table>_<index name>"; what follows "<table>_" is the name
--   a record set selects ("tblLOCATIONS_LocName" is the index "LocName").
--
-- Relations: tblPATHS.VolumeID and tblFILES.PathID cascade on delete (needs
-- PRAGMA foreign_keys=ON on the connection); CatID, LocID and the Parent columns are kept by
-- the program itself and carry indexes only.

CREATE TABLE tblCATEGORIES (
  "CID"            INTEGER NOT NULL PRIMARY KEY,
  "CatName"        TEXT(255) NOT NULL CHECK (length("CatName") <= 255),
  "CatDescription" TEXT(255) CHECK (length("CatDescription") <= 255),
  "Parent"         INTEGER,
  "Icon"           LONGBINARY_BLOB
);
CREATE INDEX tblCATEGORIES_Parent ON tblCATEGORIES ("Parent");

CREATE TABLE tblLOCATIONS (
  "lID"            INTEGER NOT NULL PRIMARY KEY,
  "LocName"        TEXT(255) NOT NULL CHECK (length("LocName") <= 255),
  "LocDescription" TEXT(255) CHECK (length("LocDescription") <= 255)
);
CREATE INDEX tblLOCATIONS_LocName ON tblLOCATIONS ("LocName");

CREATE TABLE tblVOLUMES (
  "VID"            INTEGER NOT NULL PRIMARY KEY,
  "VolumeName"     TEXT(255) NOT NULL CHECK (length("VolumeName") <= 255),
  "Description"    TEXT(255) CHECK (length("Description") <= 255),
  "Memo"           MEMO_TEXT,
  "VolumePath"     TEXT(255) NOT NULL CHECK (length("VolumePath") <= 255),
  "VolumeSerial"   TEXT(255) CHECK (length("VolumeSerial") <= 255),
  "VolumeLabel"    TEXT(255) CHECK (length("VolumeLabel") <= 255),
  "VolumeType"     INTEGER NOT NULL,
  "Computername"   TEXT(255) CHECK (length("Computername") <= 255),
  "EditDate"       DATE_REAL NOT NULL,
  "CatID"          INTEGER,
  "LocID"          INTEGER
);
CREATE INDEX tblVOLUMES_CatID ON tblVOLUMES ("CatID");
CREATE INDEX tblVOLUMES_LocID ON tblVOLUMES ("LocID");

CREATE TABLE tblPATHS (
  "PID"            INTEGER NOT NULL PRIMARY KEY,
  "VolumeID"       INTEGER NOT NULL REFERENCES tblVOLUMES ("VID") ON DELETE CASCADE,
  "Path"           TEXT(255) CHECK (length("Path") <= 255),
  "Parent"         INTEGER,
  "Memo"           MEMO_TEXT,
  "Files"          INTEGER NOT NULL,
  "Size"           DOUBLE NOT NULL,
  "TotalDirs"      INTEGER NOT NULL,
  "TotalFiles"     INTEGER NOT NULL,
  "TotalSize"      DOUBLE NOT NULL
);
CREATE INDEX tblPATHS_VolumeID ON tblPATHS ("VolumeID");
CREATE INDEX tblPATHS_Parent ON tblPATHS ("Parent");

CREATE TABLE tblFILES (
  "FID"            INTEGER NOT NULL PRIMARY KEY,
  "PathID"         INTEGER NOT NULL REFERENCES tblPATHS ("PID") ON DELETE CASCADE,
  "Filename"       TEXT(255) NOT NULL CHECK (length("Filename") <= 255),
  "DateTime"       DATE_REAL NOT NULL,
  "Filesize"       DOUBLE NOT NULL,
  "Desc"           TEXT(255) CHECK (length("Desc") <= 255)
);
CREATE INDEX tblFILES_PathID ON tblFILES ("PathID");

CREATE TABLE tblICONS (
  "IID"            INTEGER NOT NULL PRIMARY KEY,
  "Icon"           LONGBINARY_BLOB,
  "DefaultIcon"    LONGBINARY_BLOB NOT NULL,
  "FriendlyName"   TEXT(255) NOT NULL CHECK (length("FriendlyName") <= 255),
  "Order"          INTEGER NOT NULL
);

CREATE TABLE tblVERSION (
  "Major"          INTEGER NOT NULL,
  "Minor"          INTEGER NOT NULL,
  "Revision"       INTEGER NOT NULL,
  "Type"           TEXT(255) NOT NULL CHECK (length("Type") <= 255),
  "GUID"           TEXT(38) CHECK (length("GUID") <= 38)
);
