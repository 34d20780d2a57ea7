-- A fresh project: 512 empty key slots and five empty model rows, so the next model ID is 6.
WITH RECURSIVE slot(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM slot WHERE n < 512)
INSERT INTO KeyInfo ("ID", "Function", "Format", "Carry", "IR Data", "Remark")
SELECT n, '', '', '', zeroblob(512), NULL FROM slot;

INSERT INTO ModelInfo ("ID", "Module Name", "Type", "Manufactory", "Module ID", "ReCyc", "Remark")
VALUES (1, '', '', '', '', 0, ''), (2, '', '', '', '', 0, ''), (3, '', '', '', '', 0, ''),
       (4, '', '', '', '', 0, ''), (5, '', '', '', '', 0, '');
