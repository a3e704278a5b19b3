"""Stamps the page's folder: files.json, the sizes of the downloads and each sound's place in
sounds.data with its CRC-32 and how to play it (tools/web-sounds), which the page checks before it
offers the start; and sw.js, the offline copy, whose version is a hash of every other file, so
that a new build replaces the old cache. usage: stamp.py FOLDER SOUNDS_JSON SW_TEMPLATE"""
import hashlib
import json
import pathlib
import sys

folder, sounds, template = (pathlib.Path(arg) for arg in sys.argv[1:4])
files = {name: (folder / name).stat().st_size for name in ('sounds.data', 'index.wasm')}
files['sounds'] = json.loads(sounds.read_text())
(folder / 'files.json').write_text(json.dumps(files) + '\n')
digest = hashlib.sha256()
for path in sorted(p for p in folder.rglob('*') if p.is_file() and p.name != 'sw.js'):
    digest.update(path.relative_to(folder).as_posix().encode() + b'\0' + path.read_bytes())
(folder / 'sw.js').write_text(template.read_text().replace('@VERSION@', digest.hexdigest()[:16]))
