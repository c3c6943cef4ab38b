// The npm package "sepa" writing the same direct-debit file as qvl32-bench-sepa: 100,000
// debits (or the number given) into one pain.008.001.08 document, written to a file and
// synced. It checks nothing against the schema. Run by run-npm-sepa.sh.
const fs = require("fs");
const SEPA = require("sepa");

const count = Number(process.argv[2] || 100000);
const out = process.argv[3] || "npm-sepa.xml";
const started = process.hrtime.bigint();

const doc = new SEPA.Document("pain.008.001.08");
doc.grpHdr.id = "QVL20261207120000-bench";
doc.grpHdr.created = new Date();
doc.grpHdr.initiatorName = "Waldbesitzervereinigung Oberland";
const info = doc.createPaymentInfo();
info.collectionDate = new Date(Date.now() + 14 * 86400000);
info.creditorIBAN = "DE81701900000007654321";
info.creditorBIC = "GENODEF1M01";
info.creditorName = "Waldbesitzervereinigung Oberland";
info.creditorId = "DE98ZZZ09999999999";
info.batchBooking = true;
doc.addPaymentInfo(info);
for (let i = 0; i < count; ++i) {
  const bban = "70190000" + String(1000000000 + i);
  const tx = info.createTransaction();
  tx.debtorName = "Mueller Hans-Juergen";
  tx.debtorIBAN = SEPA.checksumIBAN("DE00" + bban);
  tx.debtorBIC = "GENODEF1M01";
  tx.mandateId = "MR-" + (1000 + i);
  tx.mandateSignatureDate = new Date("2026-12-07");
  tx.amount = (2380 + (i % 1000)) / 100;
  tx.remittanceInfo = "Jahresbeitrag Mitgliedsbeitrag Rechnung " + (i + 1);
  tx.end2endId = "RE" + (i + 1);
  info.addTransaction(tx);
}
const fd = fs.openSync(out, "w");
fs.writeSync(fd, doc.toString());
fs.fsyncSync(fd);
fs.closeSync(fd);
const ms = Number(process.hrtime.bigint() - started) / 1e6;
const cpu = process.cpuUsage();
console.log(`npm sepa 3.0.0: ${count} debits in ${Math.round(ms)} ms ` +
            `(CPU ${((cpu.user + cpu.system) / 1e6).toFixed(2)} s, ${fs.statSync(out).size >> 20} MB)`);
