"""Stamps the page's folder: files.json, the sizes of the downloads and each sound's place in
index.data with its CRC-32, which the page checks before it offers the start; and sw.js, the
offline copy, whose version is a hash of every other file, so that a new build replaces the old
cache. usage: stamp.py FOLDER SW_TEMPLATE"""
import hashlib
import json
import pathlib
import re
import sys
import zlib

folder, template = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
data = (folder / 'index.data').read_bytes()
places = re.findall(r'"filename":"/([^"]+)","start":([0-9e.]+),"end":([0-9e.]+)',
                    (folder / 'index.js').read_text())
sounds = [[name, int(float(start)), int(float(end))] for name, start, end in places]
files = {'index.data': len(data), 'index.wasm': (folder / 'index.wasm').stat().st_size,
         'sounds': [[name, start, end, zlib.crc32(data[start:end])] for name, start, end in sounds]}
(folder / 'files.json').write_text(json.dumps(files) + '\n')
digest = hashlib.sha256()
for path in sorted(p for p in folder.rglob('*') if p.is_file() and p.name != 'sw.js'):
    digest.update(path.relative_to(folder).as_posix().encode() + b'\0' + path.read_bytes())
(folder / 'sw.js').write_text(template.read_text().replace('@VERSION@', digest.hexdigest()[:16]))
