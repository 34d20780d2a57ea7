-- The project file's schema. Columns keep the ordinal order and sizes of the original Jet
-- tables; the size checks make the file itself refuse text the program would refuse. "Carry"
-- is one wider than the original's, so that the carrier of periods 1 and 2 ("1844000") fits.
CREATE TABLE KeyInfo (
    "ID"       SMALLINT,
    "Function" VARCHAR(16)  CHECK (length("Function") <= 16),
    "Format"   VARCHAR(7)   CHECK (length("Format") <= 7),
    "Carry"    VARCHAR(7)   CHECK (length("Carry") <= 7),
    "IR Data"  BLOB,
    "Remark"   VARCHAR(120) CHECK (length("Remark") <= 120)
);
CREATE INDEX "编号" ON KeyInfo ("ID");

CREATE TABLE ModelInfo (
    "ID"          INTEGER PRIMARY KEY AUTOINCREMENT,
    "Module Name" VARCHAR(20)  CHECK (length("Module Name") <= 20),
    "Type"        VARCHAR(20)  CHECK (length("Type") <= 20),
    "Manufactory" VARCHAR(20)  CHECK (length("Manufactory") <= 20),
    "Module ID"   VARCHAR(20)  CHECK (length("Module ID") <= 20),
    "ReCyc"       TINYINT DEFAULT 0 CHECK ("ReCyc" BETWEEN 0 AND 255),
    "Remark"      VARCHAR(200) CHECK (length("Remark") <= 200)
);
