// The benchmark's peer built on the npm package replace-in-file: the same
// replacement as splyce, done with the package's documented synchronous API
// (the asynchronous one opens every file at once and fails on 20,000 pages).
//   node peer_replace_in_file.mjs MODULE_DIR SOURCE GLOB
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [moduleDir, source, glob] = process.argv.slice(2);
const { replaceInFileSync } = await import(pathToFileURL(join(moduleDir, "node_modules/replace-in-file/index.js")).href);

const section = () => /SPLYCE_BLOCK_(\w{1,31})([\s\S]*?)SPLYCE_BLOCK_\1(?!\w)/g;
const sections = new Map();
for (const m of readFileSync(source, "latin1").matchAll(section())) {
  if (!sections.has(m[1])) sections.set(m[1], m[2]);
}

replaceInFileSync({
  files: glob,
  encoding: "latin1",
  from: section(),
  to: (all, id) => (sections.has(id) ? `SPLYCE_BLOCK_${id}${sections.get(id)}SPLYCE_BLOCK_${id}` : all),
});
