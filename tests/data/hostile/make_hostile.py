#!/usr/bin/env python3
"""Writes the hostile files of this folder and expectations.txt, the table the hostile-file suite
checks them against (tests/hostile/). Run it from anywhere after changing a file or a row; the
files are committed, so the suite needs nothing but the repository.

Each row: HOW FILE OUTCOME TEXT. HOW is how the game reads the file (texture, model, wall,
creature, bullet, map, font, gui, recording); OUTCOME is loaded, refused or fatal (the start-up error);
TEXT must appear in what the probe prints. Files the suite makes at run time (pipes, folders,
oversized and 1 MB-line files) have rows here and a maker in hostile_test.cpp.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROWS = []


def write(relative, data):
    path = os.path.join(HERE, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode('latin-1')
    with open(path, 'wb') as f:
        f.write(data)


def row(how, relative, outcome, text):
    ROWS.append((how, relative, outcome, text))


def case(how, relative, data, outcome, text):
    write(relative, data)
    row(how, relative, outcome, text)


# ---- TGA ------------------------------------------------------------------------------------------

def tga_header(image_type=2, width=4, height=4, depth=24, id_length=0, map_type=0, map_first=0,
               map_length=0, map_bits=0, descriptor=0):
    return struct.pack('<BBBHHBHHHHBB', id_length, map_type, image_type, map_first, map_length, map_bits,
                       0, 0, width, height, depth, descriptor)


GOOD_TGA = tga_header() + bytes(range(48))
T = 'Data/Textures/'
write(T + 'good.tga', GOOD_TGA)
case('texture', T + 'tga_empty.tga', b'', 'refused', 'TGA - Image has no pixels')
case('texture', T + 'tga_cut_header.tga', GOOD_TGA[:10], 'refused', 'TGA - Image has no pixels')
case('texture', T + 'tga_cut_data.tga', GOOD_TGA[:40], 'refused',
     'TGA - Image data ends early: 4 x 4 pixels need at least 48 bytes, 22 left')
case('texture', T + 'tga_rle_20000.tga', tga_header(10, 20000, 20000) + bytes([0xFF, 1, 2, 3]) * 4096, 'refused',
     'TGA - Image too large: 20000 x 20000 pixels (at most 16384 a side and 67108864 in all)')
case('texture', T + 'tga_rle_8193.tga', tga_header(10, 8193, 8192) + bytes([0xFF, 1, 2, 3]) * 4096, 'refused',
     'TGA - Image too large: 8193 x 8192 pixels')
case('texture', T + 'tga_raw_65535.tga', tga_header(2, 65535, 65535) + bytes(1000), 'refused',
     'TGA - Image too large: 65535 x 65535 pixels')
case('texture', T + 'tga_zero_width.tga', tga_header(2, 0, 4) + bytes(48), 'refused', 'TGA - Image has no pixels')
case('texture', T + 'tga_depth16.tga', tga_header(2, 4, 4, 16) + bytes(32), 'refused',
     'TGA - Unsupported pixel depth: 16 bits')
case('texture', T + 'tga_depth0.tga', tga_header(2, 4, 4, 0) + bytes(32), 'refused',
     'TGA - Unsupported pixel depth: 0 bits')
case('texture', T + 'tga_depth255.tga', tga_header(2, 2, 2, 255) + bytes(200), 'refused',
     'TGA - Unsupported pixel depth: 255 bits')
case('texture', T + 'tga_map16.tga', tga_header(1, 2, 1, 8, map_type=1, map_length=2, map_bits=16) + bytes(6),
     'refused', 'Unsupported color palette type in TGA-file!')
case('texture', T + 'tga_map_index_outside.tga',
     tga_header(1, 2, 2, 8, map_type=1, map_first=5, map_length=2, map_bits=24) + bytes(6) + bytes([0, 200, 7, 255]),
     'loaded', 'pixels 2 x 2')
case('texture', T + 'tga_map_65535_entries.tga',
     tga_header(1, 2, 2, 8, map_type=1, map_length=65535, map_bits=32) + bytes(10), 'refused',
     'TGA - Image data ends early')
case('texture', T + 'tga_id_past_end.tga', tga_header(2, 2, 2, 24, id_length=255) + bytes(12), 'refused',
     'TGA - Image data ends early')
case('texture', T + 'tga_rle_runs_past_end.tga', tga_header(10, 2, 2) + bytes([0xFF, 9, 9, 9]), 'loaded',
     'pixels 2 x 2')
case('texture', T + 'tga_rle_cut.tga', tga_header(10, 256, 256) + bytes([0x7F]) + bytes(30), 'refused',
     'TGA - Image data ends early')
case('texture', T + 'tga_rle_literal_cut.tga', tga_header(10, 256, 2) + bytes([0x7F]) + bytes(8) + bytes(100),
     'loaded', 'pixels 256 x 2')
case('texture', T + 'tga_type_99.tga', tga_header(99, 2, 2, 8) + bytes(4), 'loaded', 'pixels 2 x 2')
case('texture', T + 'tga_grey_rle_mirrored.tga', tga_header(11, 3, 3, 8, descriptor=0x30) + bytes([0x88, 77]),
     'loaded', 'pixels 3 x 3')

# ---- PNG ------------------------------------------------------------------------------------------


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


def ihdr(width, height, depth=8, colour=6, interlace=0, compression=0):
    return chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, compression, 0, interlace))


SIG = b'\x89PNG\r\n\x1a\n'


def png(*chunks):
    return SIG + b''.join(chunks)


def rows(width, height, bytes_per_pixel):
    return b''.join(b'\x00' + bytes(width * bytes_per_pixel) for _ in range(height))


GOOD_IDAT = chunk(b'IDAT', zlib.compress(rows(4, 4, 4)))
IEND = chunk(b'IEND', b'')
# 16 x 16 RGBA rows that do not compress to nothing.
NOISE = b''.join(b'\0' + bytes((x * 97 + y * 31) & 255 for x in range(64)) for y in range(16))
case('texture', T + 'png_bad_signature.png', b'\x89PNX\r\n\x1a\n' + ihdr(4, 4)[0:], 'refused', 'PNG - Invalid header')
case('texture', T + 'png_cut_signature.png', SIG[:4], 'refused', 'PNG - Invalid header')
case('texture', T + 'png_no_ihdr.png', png(GOOD_IDAT, IEND), 'refused', 'PNG - Header not found')
case('texture', T + 'png_short_ihdr.png', png(chunk(b'IHDR', b'\x00\x00\x00\x04\x00'), GOOD_IDAT, IEND), 'refused',
     'PNG - Invalid header size')
case('texture', T + 'png_16384_square.png', png(ihdr(16384, 16384), chunk(b'IDAT', zlib.compress(bytes(100000))), IEND),
     'refused', 'PNG - Image too large: 16384 x 16384 pixels')
case('texture', T + 'png_8193.png', png(ihdr(8193, 8192, 8, 0), chunk(b'IDAT', zlib.compress(bytes(200000))), IEND),
     'refused', 'PNG - Image too large: 8193 x 8192 pixels')
case('texture', T + 'png_tiny_data_for_size.png', png(ihdr(4096, 4096), chunk(b'IDAT', zlib.compress(bytes(10))), IEND),
     'refused', 'PNG - Invalid image size')
# A real decompression bomb within the limits: 4096 x 4096 RGBA (64 MB) from about 65 KB.
case('texture', T + 'png_bomb_4096.png', png(ihdr(4096, 4096), chunk(b'IDAT', zlib.compress(rows(4096, 4096, 4), 9)), IEND),
     'loaded', 'pixels 4096 x 4096')
case('texture', T + 'png_no_idat.png', png(ihdr(4, 4), IEND), 'refused', 'PNG - Image data not found')
case('texture', T + 'png_iend_first.png', png(ihdr(4, 4), IEND, GOOD_IDAT), 'refused', 'PNG - Image data not found')
case('texture', T + 'png_plte_1000.png', png(ihdr(4, 4, 8, 3), chunk(b'PLTE', bytes(1000)), GOOD_IDAT, IEND), 'refused',
     'PNG - Invalid palette size')
case('texture', T + 'png_trns_1000.png',
     png(ihdr(4, 4, 8, 3), chunk(b'PLTE', bytes(12)), chunk(b'tRNS', bytes(1000)),
         chunk(b'IDAT', zlib.compress(rows(4, 4, 1))), IEND), 'loaded', 'pixels 4 x 4')
case('texture', T + 'png_chunk_2gb.png', png(ihdr(4, 4), struct.pack('>I', 0x7FFFFFFF) + b'IDAT' + bytes(20)), 'refused',
     'PNG - Invalid chunk size')
case('texture', T + 'png_zlib_garbage.png', png(ihdr(4, 4), chunk(b'IDAT', b'\xff' * 40), IEND), 'refused',
     'PNG - ZLib error')
case('texture', T + 'png_idat_cut.png', png(ihdr(64, 64), chunk(b'IDAT', zlib.compress(rows(64, 10, 4))), IEND),
     'refused', 'PNG - Image data ends early')
case('texture', T + 'png_interlaced.png', png(ihdr(4, 4, interlace=1), GOOD_IDAT, IEND), 'refused',
     'PNG - Interlace not supported.')
case('texture', T + 'png_compression_1.png', png(ihdr(4, 4, compression=1), GOOD_IDAT, IEND), 'refused',
     'PNG - Invalid compression method')
case('texture', T + 'png_depth16.png', png(ihdr(4, 4, 16, 2), chunk(b'IDAT', zlib.compress(rows(4, 4, 6))), IEND),
     'refused', 'PNG - Unsupported ColorType')
case('texture', T + 'png_colour_type_5.png', png(ihdr(4, 4, 8, 5), GOOD_IDAT, IEND), 'refused',
     'PNG - Unsupported ColorType')
case('texture', T + 'png_bad_crc.png', png(ihdr(4, 4)[:-4] + b'\0\0\0\0', GOOD_IDAT[:-4] + b'\0\0\0\0', IEND), 'loaded',
     'pixels 4 x 4')
case('texture', T + 'png_2000_empty_idat.png', png(ihdr(4, 4), *([chunk(b'IDAT', b'')] * 2000), GOOD_IDAT, IEND),
     'loaded', 'pixels 4 x 4')
case('texture', T + 'png_idat_then_text.png',
     png(ihdr(16, 16), chunk(b'IDAT', zlib.compress(NOISE)[:40]), chunk(b'tEXt', b'a\0b'), IEND), 'refused',
     'PNG - IDAT chunk expected')

# ---- JPEG -----------------------------------------------------------------------------------------


def good(name):
    with open(os.path.join(HERE, 'Data', 'Textures', name), 'rb') as f:
        return f.read()


def with_size(data, width, height):
    at = data.find(b'\xff\xc0')
    if at < 0:
        at = data.find(b'\xff\xc2')
    return data[:at + 5] + struct.pack('>HH', height, width) + data[at + 9:]


# Good files the broken ones are made from (made by the game's own encoder).
BASELINE = good('good_baseline.jpg')
PROGRESSIVE = good('good_progressive.jpg')


def repeat_first_scan(data, times):
    """The first scan of a progressive file repeated: each repeat is a pass over the picture."""
    sos = data.find(b'\xff\xda')
    end = sos + 2
    while True:
        end = data.find(b'\xff', end)
        if data[end + 1] not in (0x00,) and not (0xD0 <= data[end + 1] <= 0xD7):
            break
        end += 2
    return data[:sos] + data[sos:end] * times + data[end:]


case('texture', T + 'jpg_text.jpg', 'this is not a picture', 'refused', 'JPEG - Not a JPEG file: starts with 0x74 0x68')
case('texture', T + 'jpg_empty.jpg', b'', 'refused', 'JPEG - ')
case('texture', T + 'jpg_cut_header.jpg', BASELINE[:100], 'refused', 'JPEG - ')
case('texture', T + 'jpg_cut_scan.jpg', BASELINE[:len(BASELINE) - 60], 'loaded', 'pixels 24 x 16')
case('texture', T + 'jpg_65000.jpg', with_size(BASELINE, 65000, 65000), 'refused',
     'JPEG - Image too large: 65000 x 65000 pixels')
case('texture', T + 'jpg_8000_from_700_bytes.jpg', with_size(BASELINE, 8000, 8000), 'refused',
     'JPEG - Image data too short: 8000 x 8000 pixels from')
case('texture', T + 'jpg_zero_size.jpg', with_size(BASELINE, 0, 0), 'refused', 'JPEG - ')
case('texture', T + 'jpg_soi_eoi.jpg', b'\xff\xd8\xff\xd9', 'refused', 'JPEG - ')
case('texture', T + 'jpg_bad_huffman.jpg', BASELINE.replace(b'\xff\xc4', b'\xff\xc4\xff\xff', 1), 'refused', 'JPEG - ')
case('texture', T + 'jpg_600_scans.jpg', repeat_first_scan(PROGRESSIVE, 600), 'refused', 'JPEG - more than 500 scans')
case('texture', T + 'picture.bmp', b'BM' + bytes(60), 'refused', 'no image reader for files ending in ".BMP"')
case('texture', T + 'no_extension', GOOD_TGA, 'refused', 'no image reader for a file name without an extension')
row('texture', T + 'pipe.png', 'refused', 'is not a regular file (a FIFO, a device or a socket)')
row('texture', T + 'folder.tga', 'refused', 'is a directory')
row('texture', T + 'huge_sparse.tga', 'refused', 'is larger than 512 MB')
row('texture', '/dev/zero', 'refused', 'is not a regular file')

# ---- Models ---------------------------------------------------------------------------------------


def md2(frames=2, vertices=3, triangles=1, texcoords=3, skin=(64, 64), frame_size=None, overrides=None,
        triangle=(0, 1, 2, 0, 1, 2)):
    frame_size = frame_size if frame_size is not None else 40 + 4 * vertices
    ofs_tex = 68
    ofs_tri = ofs_tex + 4 * texcoords
    ofs_frames = ofs_tri + 12 * triangles
    end = ofs_frames + frame_size * frames
    fields = dict(ident=0x32504449, version=8, skinw=skin[0], skinh=skin[1], frame_size=frame_size, skins=0,
                  vertices=vertices, texcoords=texcoords, triangles=triangles, glcmds=0, frames=frames,
                  ofs_skins=68, ofs_tex=ofs_tex, ofs_tri=ofs_tri, ofs_frames=ofs_frames, ofs_gl=end, ofs_end=end)
    fields.update(overrides or {})
    header = struct.pack('<17i', *fields.values())
    body = b''.join(struct.pack('<hh', i * 10, i * 5) for i in range(texcoords))
    body += struct.pack('<6h', *triangle) * triangles
    for f in range(frames):
        frame = struct.pack('<3f3f16s', 0.1, 0.1, 0.1, 0, 0, f, b'frame%d' % f)
        frame += b''.join(bytes([i * 20 % 256, i * 40 % 256, 10, 0]) for i in range(vertices))
        body += frame + bytes(frame_size - len(frame))
    return header + body


M = 'Data/Models/'
write(M + 'good.md2', md2())
case('model', M + 'md2_wrong_ident.md2', b'IDP3' + md2()[4:], 'fatal', 'Not a valid MD2 file!')
case('model', M + 'md2_empty.md2', b'', 'fatal', 'Not a valid MD2 file!')
case('model', M + 'md2_cut_header.md2', md2()[:30], 'refused', 'cannot be read: truncated header')
case('model', M + 'md2_cut_frames.md2', md2()[:-10], 'refused', 'cannot be read: data outside the file')
case('model', M + 'md2_negative_count.md2', md2(overrides={'vertices': -3}), 'refused', 'cannot be read: negative count')
case('model', M + 'md2_offset_outside.md2', md2(overrides={'ofs_tri': 1 << 30}), 'refused',
     'cannot be read: data outside the file')
case('model', M + 'md2_negative_offset.md2', md2(overrides={'ofs_tex': -4}), 'refused',
     'cannot be read: data outside the file')
case('model', M + 'md2_frame_size_8.md2', md2(overrides={'frame_size': 8}), 'refused',
     'cannot be read: frame size below 40')
case('model', M + 'md2_frames_too_small.md2', md2(overrides={'vertices': 100}), 'refused',
     'cannot be read: frame records too small for the vertex count')
case('model', M + 'md2_huge_counts.md2', md2(overrides={'frames': 0x7FFFFFFF, 'frame_size': 52}), 'refused',
     'cannot be read: data outside the file')
case('model', M + 'md2_vertex_index.md2', md2(triangle=(0, 1, 7, 0, 1, 2)), 'refused',
     'cannot be read: triangle names a vertex that does not exist')
case('model', M + 'md2_texcoord_index.md2', md2(triangle=(0, 1, 2, 0, 1, -1)), 'refused',
     'cannot be read: triangle names a texture coordinate that does not exist')
case('model', M + 'md2_no_skin_size.md2', md2(skin=(0, 0)), 'refused',
     'cannot be read: texture coordinates without a skin size')
# Many frames of many triangles: a small file asking for a mesh of millions of vectors.
case('model', M + 'md2_vector_bomb.md2',
     md2(frames=1400, vertices=3, triangles=6100, texcoords=3), 'refused', 'cannot be read: model too large')
case('model', M + 'obj_bad_number.obj', 'v 1 2 3\nv 1 abc 3\n', 'fatal', "obj_bad_number.obj:2: 'abc' is not a valid floating point value")
case('model', M + 'obj_bad_index.obj', 'v 1 2 3\nf 1 2 x\n', 'fatal', "'x' is not a valid integer value")
case('model', M + 'obj_index_outside.obj', 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99\nf -1 2 3\nf 2147483647 1 1\n', 'loaded',
     'triangles 3')
case('model', M + 'obj_faces_without_vertices.obj', 'f 1 2 3\nf 4 5 6\n', 'loaded', 'triangles 0')
case('model', M + 'obj_short_lines.obj', 'v 1\nvt\nf 1\nv 1 2 3\nvn 1 2\nf 1 1\n', 'loaded', 'vertices 1 triangles 0')
case('model', M + 'obj_slashes.obj', 'v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1// 2//1 3/1/\nf / // ///\nf 1/1/1/1 2 3\n',
     'loaded', 'triangles ')
case('model', M + 'obj_crlf_and_tabs.obj', 'v\t1 2 3\r\nv 1 2 3\r\nv 4 5 6\r\nv 7 8 9\r\nf 2 3 4\r\n', 'loaded',
     'triangles 1')
case('model', M + 'obj_binary.obj', bytes(range(256)) * 4, 'loaded', 'triangles 0')
case('model', M + 'model.3ds', b'MM' + bytes(100), 'refused', 'cannot be read: not an MD2 or OBJ file')
row('model', M + 'pipe.md2', 'refused', 'cannot be read: is not a regular file')
row('model', M + 'folder.obj', 'refused', 'cannot be read: is a directory')
row('model', M + 'long_line.obj', 'loaded', 'triangles 1')

# ---- Kind files -----------------------------------------------------------------------------------

W = 'Data/Walls/'
C = 'Data/Creatures/'
B = 'Data/Bullets/'
write('Data/Textures/folder_of_textures/.keep', '')
case('wall', W + 'empty.cro', '', 'loaded', 'empty.cro: the file is empty')
case('wall', W + 'blanks.cro', '   \r\n\t\r\n', 'loaded', 'blanks.cro: the file holds nothing but blanks')
case('wall', W + 'binary.cro', b'NAME=Bin\nMODEL=good.md2\n\x00\x01\x02\xff=\x7f\n' + bytes(range(256)), 'loaded',
     'binary.cro:3: the file holds NUL bytes: it is not a text file')
case('wall', W + 'cr_only.cro', 'NAME=Stone\rTEXTURE=good.tga\rSCALEMODEL=2\r', 'loaded',
     'cr_only.cro: the lines end in CR alone')
case('wall', W + 'bom.cro', b'\xef\xbb\xbfNAME=Stone\nSCALEMODEL=2\n', 'loaded',
     'bom.cro:1: the file starts with a UTF-8 byte order mark')
case('wall', W + 'no_name.cro', 'TEXTURE=good.tga\nSCALEMODEL=2\n', 'loaded', 'no_name.cro: no NAME line')
case('wall', W + 'only_comments.cro', '// NAME=Stone\n// nothing else\n', 'loaded', 'only_comments.cro: no NAME line')
case('wall', W + 'typos.cro', 'NAME=Stone\nTEXTUER=good.tga\nMOEDL=good.md2\nGHOTS\n', 'loaded',
     'typos.cro:2: unknown key "TEXTUER" (did you mean TEXTURE?)')
case('wall', W + 'bad_integer.cro', 'NAME=Stone\nANIMTYPE=one\n', 'fatal',
     "bad_integer.cro:2: 'one' is not a valid integer value")
case('wall', W + 'bad_float.cro', 'NAME=Stone\n\nSCALEMODEL=1,5\n', 'fatal',
     "bad_float.cro:3: '1,5' is not a valid floating point value")
case('wall', W + 'float_overflow.cro', 'NAME=Stone\nSCALEMODEL=1e39\n', 'fatal',
     "float_overflow.cro:2: '1e39' is not a valid floating point value")
case('wall', W + 'empty_number.cro', 'NAME=Stone\nANIMSPEED=\n', 'fatal', "empty_number.cro:2: '' is not a valid")
case('wall', W + 'unclosed_script.cro', 'NAME=Door\n[TOUCHSCRIPT]\nbegin\n  Wall_PlayAnim(Wall_ID);\n', 'loaded', 'kinds 1')
case('wall', W + 'tag_with_text.cro', 'NAME=Door\n[TOUCHSCRIPT] please\nbegin end.\n[/TOUCHSCRIPT]\n', 'loaded',
     'tag_with_text.cro:2: "[TOUCHSCRIPT]PLEASE" is no key this file knows')
case('wall', W + 'eof_byte.cro', 'NAME=Stone\n\x1aTEXTUER=never read\x00\n', 'loaded', 'kinds 1')
case('wall', W + 'missing_files.cro', 'NAME=Stone\nTEXTURE=nothing.tga\nMODEL=nothing.md2\n', 'loaded',
     'missing_files.cro:3: model "Data/Models/nothing.md2" cannot be read: no such file')
case('wall', W + 'texture_is_folder.cro', 'NAME=Stone\nTEXTURE=folder_of_textures\n', 'loaded',
     'texture "Data/Textures/folder_of_textures" cannot be read: is a directory')
case('wall', W + 'texture_is_bomb.cro', 'NAME=Stone\nTEXTURE=tga_rle_20000.tga\n', 'loaded',
     'cannot be read: TGA - Image too large: 20000 x 20000 pixels')
case('wall', W + 'model_is_bad.cro', 'NAME=Stone\nMODEL=md2_offset_outside.md2\n', 'loaded',
     'model_is_bad.cro:2: model "Data/Models/md2_offset_outside.md2" cannot be read: data outside the file')
case('wall', W + 'model_wrong_ident.cro', 'NAME=Stone\nMODEL=md2_wrong_ident.md2\n', 'fatal', 'Not a valid MD2 file!')
case('wall', W + 'backslashes.cro', 'NAME=Stone\nTEXTURE=' + '..\\' * 16 + 'etc\\passwd\n', 'loaded',
     'cannot be read: no image reader for a file name without an extension')
row('wall', W + 'long_line.cro', 'loaded', 'long_line.cro:2: "XXXXXXXXXXXX')
row('wall', W + 'long_value.cro', 'loaded', 'kinds 1')
row('wall', W + 'texture_5000.cro', 'loaded', 'textures 1 meshes 0')
row('wall', W + 'model_2000.cro', 'loaded', 'textures 0 meshes 1')
case('creature', C + 'bullet_unknown.cro', 'NAME=Orc\nSHOTS=3\nBULLET=Nothing\n', 'loaded',
     'bullet_unknown.cro:3: BULLET: no bullet kind is named "Nothing"')
case('creature', C + 'models_repeated.cro', 'NAME=Orc\nSTANDMODEL=good.md2\nSTANDMODEL=good.md2\n', 'loaded',
     'models_repeated.cro:3: STANDMODEL is given again: only its first line counts')
case('creature', C + 'hex_overflow.cro', 'NAME=Orc\nHEALTH=$1FFFFFFFF\n', 'fatal',
     "hex_overflow.cro:2: '$1FFFFFFFF' is not a valid integer value")
case('creature', C + 'int_overflow.cro', 'NAME=Orc\nMOVEPOINTS=2147483648\n', 'fatal',
     "'2147483648' is not a valid integer value")
case('creature', C + 'negative_values.cro', 'NAME=Orc\nHEALTH=-5\nSHOTRANGE=-2147483648\nATACKFRAME=-1\nSTANDMODEL=good.md2\n',
     'loaded', 'kinds 1')
case('creature', C + 'script_in_creature.cro', 'NAME=Orc\n[TOUCHSCRIPT]\nbegin end.\n[/TOUCHSCRIPT]\n', 'loaded',
     'script_in_creature.cro:3: "BEGINEND." is no key this file knows')
row('creature', C + 'standmodel_2000.cro', 'loaded', 'textures 0 meshes 1')
case('bullet', B + 'binary.cro', bytes(range(256)) * 2, 'loaded', 'binary.cro:1: the file holds NUL bytes')
case('bullet', B + 'empty.cro', '', 'loaded', 'empty.cro: the file is empty')

# ---- Maps -----------------------------------------------------------------------------------------


def table(names):
    out = struct.pack('<H', len(names))
    for n in names:
        n = n.encode('latin-1') if isinstance(n, str) else n
        out += struct.pack('<H', len(n)) + n
    return out


def game_map(width=4, height=4, floor=('Plane',), textures=('grass.jpg',), walls_names=('Stone', 'Bush'),
             creature_names=('Beast',), walls=(), creatures=(), blocks=(), cell=None, wall_count=None,
             creature_count=None, tail=b''):
    out = table(floor) + table(textures) + table(walls_names) + table(creature_names)
    out += struct.pack('<HH', width, height)
    for _ in range((width + 1) * (height + 1)):
        out += cell if cell is not None else struct.pack('<HH', 0, 0)
    out += struct.pack('<i', len(walls) if wall_count is None else wall_count)
    for kind, x, y, angle, ident in walls:
        out += struct.pack('<HiifH', kind, x, y, angle, ident)
    out += struct.pack('<i', len(creatures) if creature_count is None else creature_count)
    for kind, x, y, angle, ident, owner in creatures:
        out += struct.pack('<HiifHB', kind, x, y, angle, ident, owner)
    out += struct.pack('<H', len(blocks))
    for name, lines in blocks:
        out += table([name])[2:] + table(lines)
    return out + tail


P = 'maps/'
GOOD_MAP = game_map(walls=[(0, 1, 1, 0, 1)], creatures=[(0, 2, 2, 90, 1, 0)], blocks=[('Start Map', ['begin end.'])])
case('map', P + 'empty.map', b'', 'fatal', 'empty.map: Read beyond end of file')
case('map', P + 'cut_tables.map', GOOD_MAP[:9], 'fatal', 'cut_tables.map: Read beyond end of file')
case('map', P + 'cut_cells.map', GOOD_MAP[:60], 'fatal', 'cut_cells.map: Read beyond end of file')
case('map', P + 'cut_blocks.map', GOOD_MAP[:-3], 'fatal', 'cut_blocks.map: Read beyond end of file')
case('map', P + 'size_100.map', game_map(width=100, height=3), 'loaded', 'MESSAGE Map size exceeds 100 x 100 tiles.')
case('map', P + 'size_65535.map', game_map(width=3, height=65535)[:50], 'loaded',
     'MESSAGE Map size exceeds 100 x 100 tiles.')
case('map', P + 'wall_outside.map', game_map(walls=[(0, 1, 1, 0, 1), (0, 5, 1, 0, 2), (0, 2, -1, 0, 3)]), 'loaded',
     'wall_outside.map: wall 2 ("Stone" on (5, 1), ID 2): cannot be placed: tile (5, 1) is outside the map (0..4 x 0..4)')
case('map', P + 'wall_outside_later.map', game_map(walls=[(0, 1, 1, 0, 1), (0, 5, 1, 0, 2), (0, 2, -1, 0, 3)]), 'loaded',
     'wall 3 ("Stone" on (2, -1), ID 3): cannot be placed: tile (2, -1) is outside the map')
case('map', P + 'two_creatures_one_tile.map', game_map(creatures=[(0, 2, 2, 0, 1, 0), (0, 2, 2, 0, 2, 1)]), 'loaded',
     'creature 2 ("Beast" on (2, 2), ID 2): cannot be placed: tile (2, 2) already holds creature 1')
case('map', P + 'unknown_kinds.map', game_map(walls_names=('Marble',), creature_names=('Goblin',),
                                               walls=[(0, 1, 1, 0, 1)], creatures=[(0, 2, 2, 0, 1, 0)]), 'loaded',
     'creature 1 ("Goblin" on (2, 2), ID 1): cannot be placed: no creature kind is named "Goblin"')
case('map', P + 'kind_index_outside.map', game_map(walls=[(7, 1, 1, 0, 1)]), 'loaded',
     'wall 1 (kind index 7 on (1, 1), ID 1): cannot be placed: kind index 7 is outside the wall kind table (2 names)')
case('map', P + 'negative_count.map', game_map(wall_count=-5, creatures=[(0, 2, 2, 0, 1, 0)]), 'loaded',
     'negative_count.map: the wall count is -5: no walls are read')
case('map', P + 'count_2147483647.map', game_map(wall_count=0x7FFFFFFF), 'fatal',
     'count_2147483647.map: Read beyond end of file')
case('map', P + 'string_past_end.map', struct.pack('<HH', 1, 65535) + b'Plane', 'fatal', 'Read beyond end of file')
case('map', P + 'trailing_bytes.map', GOOD_MAP + b'garbage after the map', 'loaded',
     'trailing_bytes.map: 21 bytes follow the end of the map and are ignored')
case('map', P + 'text_file.map', 'This file holds the notes for the next map, not a map.\n' * 3, 'fatal',
     'text_file.map: Read beyond end of file')
case('map', P + 'png_file.map', png(ihdr(4, 4), GOOD_IDAT, IEND), 'fatal', 'png_file.map: Read beyond end of file')
case('map', P + 'floor_unknown.map', game_map(floor=('Plane', 'Water'), cell=struct.pack('<H', 1)), 'loaded',
     'floor_unknown.map: floor kind "Water" is no floor kind: cell (0, 0) and 24 more keep what they had')
case('map', P + 'floor_index_outside.map', game_map(cell=struct.pack('<H', 9)), 'loaded',
     'floor kind index 9 is outside the floor kind table (1 name)')
case('map', P + 'floor_texture_missing.map', game_map(textures=('nowhere.jpg',)), 'loaded',
     'floor_texture_missing.map: floor texture "Data/Textures/nowhere.jpg" of cell (0, 0) cannot be read: no such file')
case('map', P + 'floor_texture_index.map', game_map(cell=struct.pack('<HH', 0, 500)), 'loaded',
     'floor_texture_index.map: floor texture index 500 of cell (0, 0) is outside the floor texture table (1 name)')
case('map', P + 'floor_texture_bomb.map', game_map(textures=('../../../../../../../../dev/zero',)), 'loaded',
     'cannot be read: is not a regular file')
row('map', P + 'full_99.map', 'loaded', 'walls 10000 creatures 2500')
row('map', P + 'blocks_65535.map', 'loaded', 'walls 0 creatures 0')
case('map', P + 'long_names.map', game_map(walls_names=('S' * 65535,), walls=[(0, 1, 1, 0, 1)]), 'loaded',
     'no wall kind is named')
case('map', P + 'owner_255.map', game_map(creatures=[(0, 1, 1, float('nan'), 0, 255)]), 'loaded', 'walls 0 creatures 1')
# Broken script blocks: the map loads, and its "Start Map" block fails with the file and line named.
def start_map(*blocks):
    return game_map(walls=[(0, 1, 1, 0, 1)], blocks=list(blocks))


case('map', P + 'start_garbage.map', start_map(('Start Map', ['begin', '  Cam_SetPos(;', 'end.'])), 'loaded',
     'start_garbage.map:2:14: map script "Start Map": Expression expected')
case('map', P + 'start_endless.map', start_map(('Start Map', ['begin', '  while true do begin end;', 'end.'])),
     'loaded', 'start_endless.map:2:9: map script "Start Map": run-time error: Step limit exceeded')
case('map', P + 'start_unterminated_string.map', start_map(('Start Map', ['begin', "  GameMessage('never closed);"])),
     'loaded', 'start_unterminated_string.map:2:15: map script "Start Map": Unterminated string')
case('map', P + 'start_open_comment.map', start_map(('Start Map', ['begin { a comment that never closes', 'end.'])),
     'loaded', 'start_open_comment.map:1:7: map script "Start Map": Unterminated comment')
case('map', P + 'start_no_end.map', start_map(('Start Map', ['begin', '  Cam_SetPos(1, 2, 3, 4, 5);'])), 'loaded',
     'start_no_end.map:2:30: map script "Start Map": Unexpected end of file')
case('map', P + 'start_recursion.map', start_map(('Start Map', ['procedure Down;', 'begin', '  Down;', 'end;',
                                                                'begin', '  Down;', 'end.'])), 'loaded',
     'start_recursion.map:3:3: map script "Start Map": run-time error: Stack overflow')
case('map', P + 'start_string_bomb.map', start_map(('Start Map', ['var S: string;', 'begin', "  S := 'x';",
                                                                  '  while true do S := S + S;', 'end.'])), 'loaded',
     'start_string_bomb.map:4:24: map script "Start Map": run-time error: Out of memory')
case('map', P + 'start_array_bomb.map', start_map(('Start Map', ['var A: array[0..2147483646] of integer;',
                                                                 'begin', '  A[5] := 1;', 'end.'])), 'loaded',
     'start_array_bomb.map:1:8: map script "Start Map": Data too large')
case('map', P + 'start_twice.map', start_map(('Start Map', ['begin', '  Wall_SetGhost(;', 'end.']),
                                             ('Start Map', ['begin', '  Wall_SetGhost(1, true);', 'end.'])), 'loaded',
     'start_twice.map:2:17: map script "Start Map": Expression expected')
case('map', P + 'start_20000_lines.map', start_map(('Start Map', ['begin'] + ['  // nothing here'] * 20000 + ['end.'])),
     'loaded', 'walls 1 creatures 0')
case('map', P + 'start_binary.map', start_map(('Start Map', [bytes(range(1, 256)), b'\x00begin end.'])), 'loaded',
     'start_binary.map:1:1: map script "Start Map": Invalid character')
row('map', P + 'pipe.map', 'fatal', 'pipe.map: Is not a regular file')
row('map', P + 'folder.map', 'fatal', 'folder.map: Is a directory')
row('map', P + 'over_64mb.map', 'fatal', 'over_64mb.map: Is larger than 64 MB (67108865 bytes)')
row('map', '/dev/zero', 'fatal', 'Is not a regular file')

# ---- Fonts ----------------------------------------------------------------------------------------


def font(glyphs, pages=1, count=None, line_height=16):
    out = b'TESSERA_GLYPH' + struct.pack('<HHiiBBBB', pages, len(glyphs) if count is None else count, line_height, 2,
                                         1, 1, 1, 1)
    for code, page, adv in glyphs:
        out += struct.pack('<IIBBiii8f', code, page, 8, 12, 0, 0, adv, 0, 0, 1, 0, 1, 1, 0, 1)
    return out


G = 'Data/GUI/'
case('font', G + 'bad_magic.tfi', b'TESSERA_GLYPX' + bytes(40), 'refused', "bad_magic.tfi - it's not a Tessera font info file")
case('font', G + 'empty.tfi', b'', 'refused', "empty.tfi - it's not a Tessera font info file")
case('font', G + 'cut_header.tfi', font([(65, 0, 9)])[:20], 'loaded', 'glyphs 0 pages ')
case('font', G + 'glyphs_past_end.tfi', font([(65, 0, 9)], count=65535), 'loaded', 'glyphs 1 pages 1')
case('font', G + 'codes_outside.tfi', font([(70000, 0, 9), (0xFFFFFFFF, 0, 1), (66, 0, 5)]), 'loaded', 'glyphs 1')
case('font', G + 'same_code_twice.tfi', font([(65, 0, 9)] * 200), 'loaded', 'glyphs 1 pages 1')
case('font', G + 'no_pages.tfi', font([(65, 7, 9), (0xC0 + 848, 65535, 3)], pages=0), 'loaded', 'glyphs 2 pages 0')
case('font', G + 'huge_advances.tfi', font([(65, 0, 0x7FFFFFFF), (0x20, 0, -0x80000000)]), 'loaded', 'glyphs 2')
case('font', G + 'spread_codes.tfi', font([(c, 0, 1) for c in range(0, 65536, 33)]), 'loaded', 'glyphs 1986')
row('font', G + 'pipe.tfi', 'refused', 'pipe.tfi is not a regular file')

# ---- GUI definitions ------------------------------------------------------------------------------

# Each file is read as the game reads Data/GUI/*.cro, and then every window it defines is opened,
# which runs its create script.
WINDOW = 'WINDOW = %s\nW = 200\nH = 100\n'


def create_script(name, body):
    return WINDOW % name + '[CREATESCRIPT]\n' + body + '\n[/CREATESCRIPT]\n'


case('gui', G + 'number_word.cro', WINDOW % 'Words' + 'X = twelve\n', 'fatal', "number_word.cro:4: 'twelve' is not a valid integer value")
case('gui', G + 'unterminated_block.cro', WINDOW % 'Open' + '[CREATESCRIPT]\nbegin\n  Window_Close(\'Open\');\n',
     'loaded', 'unterminated_block.cro:6:25: create script of window "Open": Unexpected end of file')
case('gui', G + 'self_create.cro', create_script('Again', "begin\n  Window_Create('Again');\nend."), 'loaded', 'windows 2 open 1')
case('gui', G + 'mutual_create.cro',
     create_script('Ping', "begin\n  Window_Create('Pong');\nend.") +
     create_script('Pong', "begin\n  Window_Create('Ping');\nend."), 'loaded', 'windows 3 open 2')
case('gui', G + 'endless_script.cro', create_script('Spin', 'begin\n  while true do begin end;\nend.'), 'loaded',
     'endless_script.cro:6:9: create script of window "Spin": run-time error: Step limit exceeded')
case('gui', G + 'script_garbage.cro', create_script('Bad', 'begin\n  Window_Create(;\nend'), 'loaded',
     'script_garbage.cro:6:17: create script of window "Bad": Expression expected')
case('gui', G + 'nul_bytes.cro', b'WINDOW = Nul\x00led\nW = 1\x00\n', 'fatal',
     "nul_bytes.cro:2: '1\\x00' is not a valid integer value")
case('gui', G + 'binary.cro', png(ihdr(4, 4), GOOD_IDAT, IEND), 'loaded', 'windows 1 open 0')
case('gui', G + 'widgets_10000.cro', WINDOW % 'Crowd' + 'BUTTON = B\nX = 1\n' * 10000, 'loaded', 'windows 2')
case('gui', G + 'huge_sizes.cro', 'WINDOW = Huge\nW = 2147483647\nH = -2147483648\nX = 2147483647\n'
     'LABEL = L\nX = -2147483648\n', 'loaded', 'open 1')
row('gui', G + 'pipe.cro', 'fatal', 'pipe.cro: Is not a regular file')
row('gui', G + 'folder.cro', 'fatal', 'folder.cro: Is a directory')
row('gui', G + 'long_line.cro', 'loaded', 'windows 2')

# ---- Recordings -----------------------------------------------------------------------------------

R = 'recordings/'
case('recording', R + 'binary.rec', png(ihdr(4, 4), GOOD_IDAT, IEND), 'refused',
     'binary.rec:1: a tick number from 1 up expected (this file holds binary data, not a recording)')
case('recording', R + 'escape_codes.rec', '1 \x1b[2J\x1b[31mred\n', 'refused', "unknown event '\\x1B[2J\\x1B[31mred'")
case('recording', R + 'ticks_backwards.rec', '5 focus_lost\n4 focus_gained\n', 'refused', 'ticks_backwards.rec:2: ticks must not decrease')
case('recording', R + 'tick_overflow.rec', '99999999999999999999999 close\n', 'refused', 'tick_overflow.rec:1: a tick number from 1 up expected')
case('recording', R + 'key_out_of_range.rec', '1 key_down 0x1FF\n', 'refused', 'key_out_of_range.rec:1: a key code 1..255 expected')
case('recording', R + 'mouse_button_7.rec', '1 mouse_down 7\n', 'refused', 'mouse_button_7.rec:1: a button 0..2')
case('recording', R + 'zero_wheel.rec', '1 wheel 0\n', 'refused', 'zero_wheel.rec:1: a non-zero wheel delta expected')
case('recording', R + 'empty.rec', '', 'loaded', 'OUTCOME loaded')
row('recording', R + 'pipe.rec', 'refused', 'cannot read')
row('recording', R + 'folder.rec', 'refused', 'folder.rec: is a directory')
row('recording', R + 'long_line.rec', 'refused', "long_line.rec:2: unknown event 'xxxxxxxx")
row('recording', R + 'over_64mb.rec', 'refused', 'over_64mb.rec: is larger than 64 MB')


with open(os.path.join(HERE, 'expectations.txt'), 'w') as f:
    f.write('# Written by make_hostile.py: each broken file, how the game reads it, what must come of it\n'
            '# (loaded, refused, or fatal: the start-up error) and text its outcome must hold.\n')
    for how, relative, outcome, text in ROWS:
        f.write('%-10s %-44s %-8s %s\n' % (how, relative, outcome, text))
print('%d rows' % len(ROWS))
