#!/usr/bin/env node
// Prints what mdb-reader sees in an .mdb file, as JSON on one line:
//   node mdbjson.js FILE          {"tables": [...user tables...], "system": [...system tables...]}
//   node mdbjson.js FILE TABLE    {"name", "rowCount", "columns": [{name, type, size}], "rows": [[...]]}
//   node mdbjson.js FILE TABLE --cells
//                                 one line per column ("column<TAB>name<TAB>type<TAB>size"), then one
//                                 line per value ("row<TAB>column<TAB>JSON of the value"), for tests
// Values: binary and OLE as hex text, dates as ISO text with milliseconds,
// everything else as mdb-reader returns it.
import { readFileSync } from "fs";
import MDBReader from "mdb-reader";

function value(v) {
  if (v === null || v === undefined) return null;
  if (Buffer.isBuffer(v)) return { hex: v.toString("hex") };
  if (v instanceof Date) return { date: isNaN(v.getTime()) ? "invalid" : v.toISOString() };
  if (typeof v === "bigint") return v.toString();
  return v;
}

const [file, tableName, mode] = process.argv.slice(2);
if (!file) {
  console.error("usage: node mdbjson.js FILE [TABLE]");
  process.exit(2);
}
try {
  const reader = new MDBReader(readFileSync(file));
  if (!tableName) {
    const tables = reader.getTableNames({ normalTables: true, systemTables: false, linkedTables: false });
    const system = reader.getTableNames({ normalTables: false, systemTables: true, linkedTables: false });
    console.log(JSON.stringify({ tables, system }));
  } else {
    const table = reader.getTable(tableName);
    const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type, size: c.size }));
    const names = columns.map((c) => c.name);
    const rows = table.getData().map((r) => names.map((n) => value(r[n])));
    if (mode === "--cells") {
      const out = [];
      columns.forEach((c, i) => out.push(`column\t${c.name}\t${c.type}\t${c.size}`));
      rows.forEach((r, i) => r.forEach((v, j) => out.push(`${i}\t${j}\t${JSON.stringify(v)}`)));
      process.stdout.write(out.join("\n") + "\n");
    } else {
      console.log(JSON.stringify({ name: table.name, rowCount: table.rowCount, columns, rows }));
    }
  }
} catch (e) {
  console.error(String(e && e.stack ? e.stack : e));
  process.exit(1);
}
