-- A history as the first version of the store wrote it: one record of one
-- host. The test of every later version's step opens it.
PRAGMA application_id = 1297565779;
PRAGMA user_version = 1;
BEGIN TRANSACTION;
CREATE TABLE series (
  id INTEGER PRIMARY KEY,
  host TEXT NOT NULL,
  processor_model TEXT NOT NULL,
  processors INTEGER NOT NULL,
  compiler TEXT NOT NULL,
  compiler_version TEXT NOT NULL,
  flags TEXT NOT NULL,
  architecture TEXT NOT NULL,
  copies INTEGER NOT NULL,
  label TEXT NOT NULL,
  UNIQUE (host, label, processor_model, processors, compiler, compiler_version, flags, architecture, copies)
);
INSERT INTO series VALUES(1,'node-0001','Intel(R) Xeon(R) Gold 6230 CPU @ 2.10GHz',2,'g++','12.2.0','-O2 -ffp-contract=off -fstack-protector-strong','x86-64',0,'');
CREATE TABLE records (
  id INTEGER PRIMARY KEY,
  sha256 BLOB NOT NULL UNIQUE,
  text TEXT NOT NULL
);
INSERT INTO records VALUES(1,X'e75fd811ebec41a394ea7fcd55e60505cdf29615e7dc6aa3b8a43b996e442613',replace('{\n  "schema_version": 1,\n  "program": {\n    "name": "megawhets",\n    "version": "1.0.0"\n  },\n  "label": null,\n  "build": {\n    "compiler": "g++",\n    "compiler_version": "12.2.0",\n    "flags": "-O2 -ffp-contract=off -fstack-protector-strong",\n    "architecture": "x86-64"\n  },\n  "machine": {\n    "host_name": "node-0001",\n    "processor_model": "Intel(R) Xeon(R) Gold 6230 CPU @ 2.10GHz",\n    "processors": 2,\n    "os_name": "Linux",\n    "os_release": "6.1.0-27-amd64"\n  },\n  "started_at": "2025-01-06T02:00:00Z",\n  "counts": {\n    "inner": 20000,\n    "outer": 37,\n    "chosen_by": "auto",\n    "auto_seconds": 15.0\n  },\n  "copies": null,\n  "passes": [\n    {\n      "pass": 1,\n      "inner": 20000,\n      "outer": 37,\n      "work_units": 740000,\n      "elapsed_seconds": 5.685567372696908,\n      "rate": 13015411.681754222,\n      "megawhets_per_second": 12710.362970463108,\n      "processor_seconds": 5.681195097998805,\n      "processor_share": 0.9992309870921415,\n      "groups": {\n        "outer_per_group": 1,\n        "count": 37,\n        "fastest_megawhets_per_second": 13018.75595308932,\n        "slowest_megawhets_per_second": 11748.344192757657\n      },\n      "start_spread_seconds": null,\n      "copies": []\n    },\n    {\n      "pass": 2,\n      "inner": 40000,\n      "outer": 37,\n      "work_units": 1480000,\n      "elapsed_seconds": 11.301032084825822,\n      "rate": 13096148.996756084,\n      "megawhets_per_second": 12789.208004644614,\n      "processor_seconds": 11.292341445280469,\n      "processor_share": 0.9992309870921415,\n      "groups": {\n        "outer_per_group": 1,\n        "count": 37,\n        "fastest_megawhets_per_second": 13018.75595308932,\n        "slowest_megawhets_per_second": 11938.092431073546\n      },\n      "start_spread_seconds": null,\n      "copies": []\n    }\n  ],\n  "comparison": {\n    "time_error_seconds": -0.07010266056799352,\n    "rate_error_megawhets_per_second": -78.84503418150598,\n    "percent_error": -0.616496613026171,\n    "advice_given": false\n  },\n  "self_check": {\n    "passed": true,\n    "mismatch": null\n  },\n  "warnings": [],\n  "exit_status": 0\n}\n','\n',char(10)));
CREATE TABLE runs (
  series_id INTEGER NOT NULL REFERENCES series (id),
  started_at TEXT NOT NULL,
  record_id INTEGER NOT NULL REFERENCES records (id),
  steady REAL NOT NULL,
  rate REAL NOT NULL,
  warnings INTEGER NOT NULL,
  self_check_passed INTEGER NOT NULL,
  lowest_processor_share REAL,
  exit_status INTEGER NOT NULL,
  program_version TEXT NOT NULL,
  PRIMARY KEY (series_id, started_at, record_id)
) WITHOUT ROWID;
INSERT INTO runs VALUES(1,'2025-01-06T02:00:00Z',1,13018.755953089319518,12789.208004644613537,0,1,0.99923098709214153156,0,'1.0.0');
COMMIT;
