#!/usr/bin/python3
"""Outside reference figures for the set-up chain, from RDKit.

  setup_speed_reference.py time FILE.smi
      Embeds every SMILES of the file with ETKDG (hydrogens added, seed 42) and relaxes it with
      MMFF94, in one run; prints the molecules done, the total and the mean seconds a molecule.
  setup_speed_reference.py relax FILE.sdf
      Relaxes every record of an SD file (for instance kvtool --mol OUT.sdf) with MMFF94 and
      prints how far that moves it: mean and largest change of bond lengths (Angstrom) and of bond
      angles (degrees), as means over the records and the largest over all of them.

Lines of a SMILES file hold the SMILES first; the rest of the line is the name.
"""
import math
import sys
import time

from kvtool_records import read_smiles
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem, rdMolTransforms

RDLogger.DisableLog("rdApp.*")


def time_etkdg_mmff(path):
    smiles = read_smiles(path)
    params = AllChem.ETKDGv3()
    params.randomSeed = 42
    done = 0
    start = time.perf_counter()
    for s in smiles:
        mol = Chem.MolFromSmiles(s)
        if mol is None:
            continue
        mol = Chem.AddHs(mol)
        if AllChem.EmbedMolecule(mol, params) != 0:
            continue
        if AllChem.MMFFHasAllMoleculeParams(mol):
            AllChem.MMFFOptimizeMolecule(mol, maxIters=2000)
        done += 1
    seconds = time.perf_counter() - start
    print("molecules %d of %d, seconds %.3f, per molecule %.5f"
          % (done, len(smiles), seconds, seconds / max(len(smiles), 1)))


def geometry(mol):
    conf = mol.GetConformer()
    bonds = [rdMolTransforms.GetBondLength(conf, b.GetBeginAtomIdx(), b.GetEndAtomIdx())
             for b in mol.GetBonds()]
    angles = []
    for atom in mol.GetAtoms():
        nbrs = [n.GetIdx() for n in atom.GetNeighbors()]
        for i in range(len(nbrs)):
            for j in range(i + 1, len(nbrs)):
                angles.append(rdMolTransforms.GetAngleDeg(conf, nbrs[i], atom.GetIdx(), nbrs[j]))
    return bonds, angles


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values)) if values else 0.0


def mean_abs(values):
    return sum(abs(v) for v in values) / len(values) if values else 0.0


def relax_sd(path):
    rows = []
    for mol in Chem.SDMolSupplier(path, removeHs=False):
        if mol is None or not AllChem.MMFFHasAllMoleculeParams(mol):
            continue
        b0, a0 = geometry(mol)
        AllChem.MMFFOptimizeMolecule(mol, maxIters=5000)
        b1, a1 = geometry(mol)
        db = [x - y for x, y in zip(b1, b0)]
        da = [x - y for x, y in zip(a1, a0)]
        rows.append((mean_abs(db), max(map(abs, db), default=0.0),
                     mean_abs(da), max(map(abs, da), default=0.0)))
    if not rows:
        print("no record relaxed")
        return
    n = len(rows)
    print("records %d" % n)
    print("bond length change mean %.4f A, largest change %.4f A"
          % (sum(r[0] for r in rows) / n, max(r[1] for r in rows)))
    print("angle change mean %.3f deg, largest change %.2f deg"
          % (sum(r[2] for r in rows) / n, max(r[3] for r in rows)))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("time", "relax"):
        print(__doc__)
        return 2
    (time_etkdg_mmff if sys.argv[1] == "time" else relax_sd)(sys.argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main())
