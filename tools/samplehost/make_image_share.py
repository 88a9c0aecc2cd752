#!/usr/bin/env python3
"""Writes a sample image share for Orva: scanned request forms named as the laboratory names them.

Layout under each share (sub-directory mask "****....": the first four characters of the request):
  <share>/noimage.png                      shown when a request has no images
  <share>/secure.png                       shown for a protected request
  <share>/1234/12345678~A01.tif            three-page request form, CCITT G4, 300 dpi, A4
  <share>/1234/12345678~B01.jpg            a photograph
  <share>/1234/12345678~C01.png            a label scan
  <share>/1234/1234567~A01.tif             another request whose number is a prefix of the first
  <share>/8765/87654321~A01.tif            a further request
  <share>/8765/87654321~M01.scm            a scrolling message shown with it
  <share>/8765/87654321~M02.cms            a credit message (lines rolling upward)
and, with --alternate, <alternate>/5555/55550001~A01.png, found only in the second source.

Needs ImageMagick's "convert". Usage: make_image_share.py SHARE [--alternate DIR]
"""

import argparse
import os
import subprocess
import sys

A4 = (2480, 3508)  # pixels at 300 dpi


# The pictures are drawn side by side (an A4 page takes seconds); finish() waits for them all, then
# joins the pages of each TIFF into its file.
RUNNING = []
JOINS = []


def run(args):
    RUNNING.append((subprocess.Popen(["convert"] + args), args[-1]))


def wait_all():
    failed = [path for proc, path in RUNNING if proc.wait() != 0]
    RUNNING.clear()
    if failed:
        raise SystemExit("convert failed for " + ", ".join(failed))


def finish():
    wait_all()
    for page_files, path in JOINS:
        run(page_files + ["-units", "PixelsPerInch", "-density", "300", "-compress", "Group4", path])
    wait_all()
    for page_files, _ in JOINS:
        for page_file in page_files:
            os.remove(page_file)


def form_page(request, page, pages, path_hint):
    """ImageMagick drawing arguments of one request-form page (black on white)."""
    w, h = A4
    draw = ["-size", "%dx%d" % (w, h), "xc:white", "-fill", "none", "-stroke", "black", "-strokewidth", "6",
            "-draw", "rectangle 150,150 %d,%d" % (w - 150, h - 150),
            "-draw", "line 150,560 %d,560" % (w - 150)]
    for i in range(14):
        y = 760 + i * 180
        draw += ["-strokewidth", "3", "-draw", "line 250,%d %d,%d" % (y, w - 250, y)]
    draw += ["-stroke", "none", "-fill", "black", "-pointsize", "110",
             "-annotate", "+260+330", "PATHOLOGY REQUEST FORM",
             "-pointsize", "80", "-annotate", "+260+480", "Request %s" % request,
             "-annotate", "+%d+480" % (w - 900), "Page %d of %d" % (page, pages),
             "-pointsize", "60", "-annotate", "+270+740", "Clinical details:",
             "-annotate", "+270+3300", "Specimen: %s" % path_hint]
    return draw


def write_tiff(path, request, pages=3):
    """Each page is drawn on its own, side by side with the rest; finish() joins them."""
    tiff = ["-units", "PixelsPerInch", "-density", "300", "-monochrome", "-compress", "Group4"]
    page_files = ["%s.page%d.tif" % (path, p) for p in range(1, pages + 1)]
    for p, page_file in enumerate(page_files, 1):
        run(form_page(request, p, pages, "biopsy") + tiff + [page_file])
    JOINS.append((page_files, path))


def write_jpeg(path, request):
    run(["-size", "1200x900", "gradient:#f4d9c6-#a0524a", "-fill", "#7a2e3a", "-draw", "circle 600,450 600,150",
         "-fill", "white", "-pointsize", "48", "-annotate", "+40+870", "Request %s - macroscopy" % request,
         "-quality", "85", path])


def write_png(path, text, colour="#204080"):
    run(["-size", "1200x500", "xc:white", "-fill", colour, "-draw", "rectangle 20,20 1180,480",
         "-fill", "white", "-pointsize", "72", "-annotate", "+70+280", text, path])


def write_messages(folder, request):
    """A scrolling and a credit message file for the request (Windows colour numbers 0x00BBGGRR)."""
    with open(os.path.join(folder, "%s~M01.scm" % request), "wb") as f:
        f.write(b"/fc|16777215/fh|-28/fn|DejaVu Sans/fs|/ft|1000/bc|8388608/sp|0/sm|"
                b"Request %s: urgent - frozen section booked for 14:30/eo|" % request.encode())
    with open(os.path.join(folder, "%s~M02.cms" % request), "wb") as f:
        f.write(b"\r\n".join([b"Credits", b"65535", b"-22", b"DejaVu Sans", b"", b"0000", b"0", b"0",
                              b"Request %s" % request.encode(), b"Specimen received 09:12",
                              b"Grossed by the duty biomedical scientist", b"Reported by the consultant", b""]))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("share")
    p.add_argument("--alternate")
    a = p.parse_args()
    share = a.share
    for d in ("1234", "8765"):
        os.makedirs(os.path.join(share, d), exist_ok=True)
    write_png(os.path.join(share, "noimage.png"), "No images for this request", "#606060")
    write_png(os.path.join(share, "secure.png"), "Protected request", "#a02020")
    write_tiff(os.path.join(share, "1234", "12345678~A01.tif"), "12345678")
    write_jpeg(os.path.join(share, "1234", "12345678~B01.jpg"), "12345678")
    write_png(os.path.join(share, "1234", "12345678~C01.png"), "Label 12345678")
    write_tiff(os.path.join(share, "1234", "1234567~A01.tif"), "1234567", pages=1)
    write_tiff(os.path.join(share, "8765", "87654321~A01.tif"), "87654321", pages=2)
    write_messages(os.path.join(share, "8765"), "87654321")
    if a.alternate:
        os.makedirs(os.path.join(a.alternate, "5555"), exist_ok=True)
        write_png(os.path.join(a.alternate, "5555", "55550001~A01.png"), "Label 55550001")
    finish()
    return 0


if __name__ == "__main__":
    sys.exit(main())
