import struct, os, sys
out = sys.argv[1]
os.makedirs(out, exist_ok=True)

def bmp(w=3, h=2, bpp=24, comp=0, planes=1, hsize=40, clr=0, palette=b'', masks=b'', offset=None, pixels=None, extra_hdr=b''):
    hdr = struct.pack('<IiiHHIIiiII', hsize, w, h, planes, bpp, comp, 0, 2835, 2835, clr, 0) + masks
    if len(hdr) < hsize: hdr += b'\0' * (hsize - len(hdr))
    if offset is None: offset = 14 + len(hdr) + len(palette)
    if pixels is None:
        stride = ((abs(w) * bpp + 31) // 32) * 4 if 0 < abs(w) < 100 and 0 < abs(h) < 100 else 4
        pixels = bytes((i * 37) & 0xFF for i in range(stride * min(abs(h), 100)))
    body = hdr + palette
    data = b'BM' + struct.pack('<IHHI', 14 + len(body) + len(pixels), 0, 0, offset) + body
    if len(data) < offset: data += b'\0' * (offset - len(data))
    return data + pixels

def patch(d, at, v):
    return d[:at] + struct.pack('<I', v) + d[at + 4:]

pal6 = b''.join(bytes([b, g, r, 0]) for r, g, b in [(255,0,0),(0,255,0),(0,0,255),(255,255,255),(0,0,0),(128,128,128)])
files = {
    'empty.bmp': b'',
    'not-a-bmp.bmp': b'GIF89a\x03\x00\x02\x00\x80\x00\x00' + b'\0' * 30,
    'truncated-header.bmp': bmp()[:30],
    'bogus-header-size.bmp': bmp(hsize=20),
    'truncated-pixels.bmp': bmp()[:-1],
    'offset-past-end.bmp': patch(bmp(), 10, 5000),
    'offset-inside-header.bmp': bmp(offset=20),
    'zero-width.bmp': bmp(w=0),
    'negative-width.bmp': bmp(w=-3),
    'huge-100000x100000.bmp': bmp(w=100000, h=100000),
    'overflow-65536x65536.bmp': bmp(w=65536, h=65536),
    'height-int-min.bmp': bmp(h=-2**31),
    'max-side-no-pixels.bmp': bmp(w=16384, h=-16384),
    'rle8.bmp': bmp(bpp=8, comp=1, clr=6, palette=pal6, pixels=b'\x03\x00\x00\x00\x00\x01'),
    'rle4.bmp': bmp(bpp=4, comp=2, clr=6, palette=pal6, pixels=b'\x03\x12\x00\x01'),
    'png-inside.bmp': bmp(comp=5, pixels=b'\x89PNG\r\n\x1a\n' + b'\0' * 16),
    'palette-index-out-of-range.bmp': bmp(bpp=8, clr=6, palette=pal6, pixels=bytes([0, 1, 2, 0, 3, 4, 200, 0])),
    'palette-missing.bmp': bmp(bpp=8, pixels=bytes(8)),
    'bpp-7.bmp': bmp(bpp=7),
    'planes-0.bmp': bmp(planes=0),
    'bitfields-24bpp.bmp': bmp(comp=3, masks=struct.pack('<III', 0xFF0000, 0xFF00, 0xFF)),
    'bitfields-masks-truncated.bmp': bmp(bpp=32, comp=3, masks=b'', pixels=b'')[:58],
    'mask-not-contiguous.bmp': bmp(bpp=32, comp=3, masks=struct.pack('<III', 0xF0F0, 0xF0000, 0x1)),
}
for name, data in files.items():
    assert len(data) < 2048, name
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)
print(len(files), 'files')
