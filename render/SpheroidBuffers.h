#pragma once

// Installs the model's spheroid staging hook (the GL download and upload members of Spheroid,
// defined in render/SpheroidBuffers.cpp). Mesh's constructor calls it.
void installSpheroidStaging();
