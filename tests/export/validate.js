// Runs the Khronos glTF validator over the files named on the command line.
//   node validate.js [--allow CODE]... FILE...
// Prints each file's error and warning count and messages; exits 1 when any file has an error or
// a warning whose code was not allowed, 2 when the validator cannot be loaded or run.
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
    validator = require('gltf-validator');
} catch (e) {
    console.error('gltf-validator is not installed (scripts/test.sh installs it): ' + e.message);
    process.exit(2);
}

const allowed = new Set();
const files = [];
const args = process.argv.slice(2);
for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--allow') allowed.add(args[++i]);
    else files.push(args[i]);
}

async function check(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (err, data) =>
                    err ? reject(err.toString()) : resolve(new Uint8Array(data)));
            }),
    });
    const serious = report.issues.messages.filter((m) => m.severity <= 1);
    const refused = serious.filter((m) => m.severity === 0 || !allowed.has(m.code));
    console.log(`${file}: ${report.issues.numErrors} errors, ${report.issues.numWarnings} warnings`);
    for (const m of serious) console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer || ''}: ${m.message}`);
    return refused.length === 0;
}

(async () => {
    let ok = true;
    for (const file of files) ok = (await check(file)) && ok;
    process.exit(ok ? 0 : 1);
})().catch((e) => {
    console.error(String(e));
    process.exit(2);
});
