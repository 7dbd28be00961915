#!/usr/bin/env python3
"""Checks what AlphaBlend and the icon loader rely on in the drawn pictures.

Run: python3 tools/test_draw_pictures.py
"""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_pictures as dp  # noqa: E402


def parse_bmp(data):
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    header = struct.unpack_from("<IiiHHIIiiII", data, 14)
    return magic, file_size, offset, header


class PadStrips(unittest.TestCase):
    def test_format_and_premultiplied_pixels(self):
        for size in dp.PAD_SIZES:
            with self.subTest(size=size):
                data = dp.bmp_bytes(dp.draw_strip(size))
                magic, file_size, offset, hdr = parse_bmp(data)
                self.assertEqual((magic, file_size, offset), (b"BM", len(data), 54))
                # size, width, height (> 0: bottom-up), planes, bpp, BI_RGB
                self.assertEqual(hdr[:6], (40, 20 * size, size, 1, 32, 0))
                self.assertEqual(len(data) - offset, 20 * size * size * 4)
                for i in range(offset, len(data), 4):
                    b, g, r, a = data[i:i + 4]
                    if max(b, g, r) > a:
                        self.fail("pixel %d not premultiplied" % ((i - offset) // 4))

    def test_pictures_stay_in_their_cells_and_states_differ(self):
        for size in dp.PAD_SIZES:
            strip = dp.draw_strip(size).premultiplied_bytes()
            margin = round(2 * size / 18)
            for column in range(1, 6):
                cells = []
                for state in range(4):
                    k = 5 * state + column
                    cell = [strip[y * 20 * size + (k - 1) * size + x]
                            for y in range(size) for x in range(size)]
                    cells.append(cell)
                    if state in (dp.DISABLED, dp.NORMAL):
                        # No face: only the centred glyph may be drawn.
                        edge = [cell[y * size + x] for y in range(size)
                                for x in range(size)
                                if min(x, y, size - 1 - x, size - 1 - y) < margin]
                        self.assertFalse(any(p[3] for p in edge),
                                         "picture %d at %d bleeds" % (k, size))
                    self.assertTrue(any(p[3] for p in cell), "picture %d empty" % k)
                self.assertEqual(len({tuple(c) for c in cells}), 4)


class Icon(unittest.TestCase):
    def test_directory_and_entries(self):
        icons = [(s, dp.draw_icon(s)) for s in dp.ICON_SIZES]
        data = dp.ico_bytes(icons)
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, len(icons)))
        for n, size in enumerate(dp.ICON_SIZES):
            w, h, _, _, planes, bpp, length, offset = struct.unpack_from(
                "<BBBBHHII", data, 6 + 16 * n)
            self.assertEqual((w or 256, h or 256, planes, bpp), (size, size, 1, 32))
            self.assertLessEqual(offset + length, len(data))
            image = data[offset:offset + length]
            if size == 256:
                self.assertTrue(image.startswith(b"\x89PNG\r\n\x1a\n"))
                continue
            hdr = struct.unpack_from("<IiiHHI", image, 0)
            self.assertEqual(hdr, (40, size, 2 * size, 1, 32, 0))
            mask_stride = (size + 31) // 32 * 4
            self.assertEqual(length, 40 + size * size * 4 + size * mask_stride)


class Committed(unittest.TestCase):
    def test_resources_in_the_tree_are_what_the_script_draws(self):
        # A drawing changed without running the script would ship old
        # pictures.
        for size in dp.PAD_SIZES:
            with open(os.path.join(dp.RES_DIR, "pads_%d.bmp" % size), "rb") as f:
                self.assertEqual(f.read(), dp.bmp_bytes(dp.draw_strip(size)), "pads_%d.bmp" % size)
        with open(dp.ICON_PATH, "rb") as f:
            icons = [(s, dp.draw_icon(s)) for s in dp.ICON_SIZES]
            self.assertEqual(f.read(), dp.ico_bytes(icons), "tunewhistle.ico")


if __name__ == "__main__":
    unittest.main()
