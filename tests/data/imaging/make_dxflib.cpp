// SPDX-License-Identifier: GPL-3.0-or-later
// Writes dxf/dxflib-r2000.dxf with dxflib's own DXF writer (release 2000 format):
// g++ make_dxflib.cpp -I/usr/include/dxflib -ldxflib -o make_dxflib && ./make_dxflib
// A 100 x 100 unit drawing: a square outline, a filled triangle (solid), a circle, an arc,
// a text and two inserts of a block holding a small cross.
#include <dl_dxf.h>

#include <memory>

int main() {
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> dw(dxf.out("dxf/dxflib-r2000.dxf", DL_Codes::AC1015));
    if (!dw) return 1;
    const DL_Attributes attributes("0", 256, -1, "BYLAYER", 1.0);
    dxf.writeHeader(*dw);
    dw->sectionEnd();
    dw->sectionBlocks();
    dxf.writeBlock(*dw, DL_BlockData("CROSS", 0, 0.0, 0.0, 0.0));
    dxf.writeLine(*dw, DL_LineData(-5, 0, 0, 5, 0, 0), attributes);
    dxf.writeLine(*dw, DL_LineData(0, -5, 0, 0, 5, 0), attributes);
    dxf.writeEndBlock(*dw, "CROSS");
    dw->sectionEnd();
    dw->sectionEntities();
    dxf.writePolyline(*dw, DL_PolylineData(4, 0, 0, 1), attributes);
    dxf.writeVertex(*dw, DL_VertexData(0, 0, 0, 0));
    dxf.writeVertex(*dw, DL_VertexData(100, 0, 0, 0));
    dxf.writeVertex(*dw, DL_VertexData(100, 100, 0, 0));
    dxf.writeVertex(*dw, DL_VertexData(0, 100, 0, 0));
    dxf.writePolylineEnd(*dw);
    dxf.writeSolid(*dw, DL_SolidData(10, 10, 0, 40, 10, 0, 10, 40, 0, 10, 40, 0, 0), attributes);
    dxf.writeCircle(*dw, DL_CircleData(70, 70, 0, 15), attributes);
    dxf.writeArc(*dw, DL_ArcData(70, 30, 0, 10, 0, 180), attributes);
    dxf.writeText(*dw, DL_TextData(10, 80, 0, 0, 0, 0, 6, 1, 0, 0, 0, "DXFLIB", "STANDARD", 0),
                  attributes);
    dxf.writeInsert(*dw, DL_InsertData("CROSS", 50, 50, 0, 1, 1, 1, 0, 1, 1, 0, 0), attributes);
    dxf.writeInsert(*dw, DL_InsertData("CROSS", 85, 15, 0, 2, 2, 1, 0, 1, 1, 0, 0), attributes);
    dw->sectionEnd();
    dw->dxfEOF();
    dw->close();
    return 0;
}
