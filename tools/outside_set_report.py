#!/usr/bin/python3
"""Figures of the whole set-up chain on a set of outside molecules, against RDKit in the same run.

  outside_set_report.py KVTOOL FILE.smi [--skip-rdkit-time] [--list OUT.tsv]

Runs kvtool --json over every SMILES of the file in one process, then judges each molecule it
finished from its coordinates, with RDKit reading the same SMILES:
  - refused: kvtool could not finish the molecule;
  - changed: the finished molecule has other heavy-atom elements than the SMILES;
  - contacts: two atoms three or more bonds apart closer than 1.5 Angstrom;
  - double bonds: every C=C and C=N the SMILES marks E or Z, kept as written or turned over
    (the sign of the dihedral across the bond, between the neighbours the SMILES marks);
  - centres: every tetrahedral centre the SMILES labels, kept or inverted (CIP label from the
    3-D coordinates against the SMILES' own);
  - bonds off MMFF94: the molecule is relaxed with MMFF94 from kvtool's coordinates, and a bond
    whose length then moves more than 0.2 Angstrom counts;
  - time: kvtool's wall time for the whole file, and RDKit's ETKDG embedding (seed 42) plus
    MMFF94 relaxation of the same molecules, hydrogens added, in the same run.
--list writes one line per molecule with what was found, to compare two runs.

The heavy atoms kvtool prints come in the order of the SMILES (the hydrogens of a bracket atom
follow it, the added ones come last), so heavy atom i of the RDKit molecule read from the SMILES
is kvtool's i-th atom that is not a hydrogen.
"""
import math
import subprocess
import sys
import tempfile
import time

from kvtool_records import parse_records, read_smiles
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

RDLogger.DisableLog("rdApp.*")

CONTACT_ANGSTROM = 1.5
BOND_SHIFT_ANGSTROM = 0.2


def run_kvtool(kvtool, smiles):
    with tempfile.NamedTemporaryFile("w", suffix=".smi", delete=False) as f:
        for s in smiles:
            f.write(s + "\n")
        name = f.name
    start = time.time()
    done = subprocess.run([kvtool, "--json", name], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    seconds = time.time() - start
    return parse_records(done.stdout), seconds


def molecule_from_record(record):
    """An RDKit molecule with kvtool's atoms, bonds and coordinates (orders as written)."""
    rw = Chem.RWMol()
    for a in record["atoms"]:
        atom = Chem.Atom(a["element"] if a["element"] != "DUM" else "*")
        atom.SetNoImplicit(True)
        rw.AddAtom(atom)
    kinds = {1: Chem.BondType.SINGLE, 2: Chem.BondType.DOUBLE, 3: Chem.BondType.TRIPLE,
             9: Chem.BondType.AROMATIC}
    for b in record["bonds"]:
        rw.AddBond(b["a"], b["b"], kinds.get(b["order"], Chem.BondType.SINGLE))
    conf = Chem.Conformer(rw.GetNumAtoms())
    for i, a in enumerate(record["atoms"]):
        conf.SetAtomPosition(i, (a["x"], a["y"], a["z"]))
    rw.AddConformer(conf, assignId=True)
    return rw.GetMol()


def position(record, i):
    a = record["atoms"][i]
    return (a["x"], a["y"], a["z"])


def sub(p, q):
    return (p[0] - q[0], p[1] - q[1], p[2] - q[2])


def cross(p, q):
    return (p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0])


def dot(p, q):
    return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]


def dihedral(p0, p1, p2, p3):
    b0, b1, b2 = sub(p1, p0), sub(p2, p1), sub(p3, p2)
    n1, n2 = cross(b0, b1), cross(b1, b2)
    m = cross(n1, b1)
    norm = math.sqrt(dot(b1, b1)) or 1.0
    x = dot(n1, n2)
    y = dot(m, n2) / norm
    return math.degrees(math.atan2(y, x))


def contacts(record, graph):
    """Pairs three or more bonds apart closer than the contact bound."""
    n = len(record["atoms"])
    pos = [position(record, i) for i in range(n)]
    found = 0
    closest = None
    distances = Chem.GetDistanceMatrix(graph)
    cell = {}
    for i, p in enumerate(pos):
        key = tuple(int(math.floor(c / CONTACT_ANGSTROM)) for c in p)
        cell.setdefault(key, []).append(i)
    for i, p in enumerate(pos):
        key = tuple(int(math.floor(c / CONTACT_ANGSTROM)) for c in p)
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for dz in (-1, 0, 1):
                    for j in cell.get((key[0] + dx, key[1] + dy, key[2] + dz), []):
                        if j <= i or distances[i][j] < 3:
                            continue
                        d = math.sqrt(dot(sub(p, pos[j]), sub(p, pos[j])))
                        if d < CONTACT_ANGSTROM:
                            found += 1
                            closest = d if closest is None else min(closest, d)
    return found, closest


def double_bonds(written, record, heavy):
    """(kept, turned) for the C=C and C=N bonds the SMILES marks."""
    kept = turned = 0
    for bond in written.GetBonds():
        if bond.GetBondType() != Chem.BondType.DOUBLE:
            continue
        stereo = bond.GetStereo()
        if stereo not in (Chem.BondStereo.STEREOE, Chem.BondStereo.STEREOZ,
                          Chem.BondStereo.STEREOCIS, Chem.BondStereo.STEREOTRANS):
            continue
        ends = {bond.GetBeginAtom().GetSymbol(), bond.GetEndAtom().GetSymbol()}
        if not ends <= {"C", "N"}:
            continue
        refs = list(bond.GetStereoAtoms())
        if len(refs) != 2:
            continue
        cis_written = stereo in (Chem.BondStereo.STEREOCIS,)
        if stereo in (Chem.BondStereo.STEREOE, Chem.BondStereo.STEREOZ):
            # E and Z name the sides of the higher-ranked neighbours; the reference atoms are
            # those of the marks, so compare ranks to know whether they sit cis.
            ranks = [int(a.GetProp("_CIPRank")) if a.HasProp("_CIPRank") else 0
                     for a in written.GetAtoms()]
            def higher(end, other, ref):
                others = [n.GetIdx() for n in written.GetAtomWithIdx(end).GetNeighbors()
                          if n.GetIdx() != other]
                return max(others, key=lambda k: ranks[k]) == ref if others else True
            b, e = bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()
            same = higher(b, e, refs[0]) == higher(e, b, refs[1])
            z = stereo == Chem.BondStereo.STEREOZ
            cis_written = z if same else not z
        b, e = bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()
        try:
            angle = dihedral(position(record, heavy[refs[0]]), position(record, heavy[b]),
                             position(record, heavy[e]), position(record, heavy[refs[1]]))
        except IndexError:
            continue
        cis_built = abs(angle) < 90.0
        if cis_built == cis_written:
            kept += 1
        else:
            turned += 1
    return kept, turned


def centres(written, built, heavy):
    """(kept, inverted) for the tetrahedral centres the SMILES labels."""
    labels = dict(Chem.FindMolChiralCenters(written, includeUnassigned=False, useLegacyImplementation=True))
    if not labels:
        return 0, 0
    # The labels of the built molecule are ranked on its sanitised copy: its rings as kvtool
    # writes them (a 2-pyranone's or 2-pyridone's double bonds) rank their atoms otherwise
    # than the same rings read aromatic from the SMILES, and turned the label of a kept centre.
    mol = Chem.Mol(built)
    try:
        Chem.SanitizeMol(mol)
    except Exception:
        mol = Chem.Mol(built)
    try:
        Chem.AssignStereochemistryFrom3D(mol)
        found = dict(Chem.FindMolChiralCenters(mol, includeUnassigned=True, useLegacyImplementation=True))
    except Exception:
        return 0, 0
    kept = inverted = 0
    for atom, label in labels.items():
        if found.get(heavy[atom]) == label:
            kept += 1
        elif found.get(heavy[atom]) in ("R", "S"):
            inverted += 1
    return kept, inverted


def mmff_shift(built):
    """Bonds moving more than the bound when MMFF94 relaxes kvtool's geometry; None without
    MMFF94 parameters."""
    mol = Chem.Mol(built)
    try:
        Chem.SanitizeMol(mol)
        props = AllChem.MMFFGetMoleculeProperties(mol)
        if props is None:
            return None
        ff = AllChem.MMFFGetMoleculeForceField(mol, props)
        if ff is None:
            return None
        before = mol.GetConformer().GetPositions().copy()
        ff.Minimize(maxIts=2000)
        after = mol.GetConformer().GetPositions()
    except Exception:
        return None
    moved = 0
    for bond in mol.GetBonds():
        i, j = bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()
        d0 = math.dist(before[i], before[j])
        d1 = math.dist(after[i], after[j])
        if abs(d1 - d0) > BOND_SHIFT_ANGSTROM:
            moved += 1
    return moved


def rdkit_time(smiles):
    start = time.time()
    done = 0
    for s in smiles:
        mol = Chem.MolFromSmiles(s)
        if mol is None:
            continue
        mol = Chem.AddHs(mol)
        params = AllChem.ETKDGv3()
        params.randomSeed = 42
        if AllChem.EmbedMolecule(mol, params) != 0:
            continue
        if AllChem.MMFFHasAllMoleculeParams(mol):
            AllChem.MMFFOptimizeMolecule(mol)
        done += 1
    return done, time.time() - start


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    kvtool, path = argv[1], argv[2]
    listing = argv[argv.index("--list") + 1] if "--list" in argv else None
    smiles = read_smiles(path)
    records, kv_seconds = run_kvtool(kvtool, smiles)
    figures = dict(molecules=len(smiles), records=len(records), refused=0, changed=0,
                   contact_molecules=0, ez_kept=0, ez_turned=0, centres_kept=0,
                   centres_inverted=0, mmff_judged=0, mmff_molecules=0, mmff_bonds=0)
    lines = []
    for s, record in zip(smiles, records):
        if not record.get("ok"):
            figures["refused"] += 1
            lines.append(f"{s}\trefused\t{record.get('error', '')}")
            continue
        written = Chem.MolFromSmiles(s)
        if written is None:
            lines.append(f"{s}\tunread-by-rdkit")
            continue
        built = molecule_from_record(record)
        heavy = [k for k, a in enumerate(record["atoms"]) if a["element"] != "H"]
        heavy_written = [a.GetSymbol() for a in written.GetAtoms()]
        heavy_built = [record["atoms"][k]["element"] for k in heavy]
        if heavy_written != heavy_built:
            figures["changed"] += 1
            lines.append(f"{s}\tchanged")
            continue
        count, closest = contacts(record, built)
        kept, turned = double_bonds(written, record, heavy)
        c_kept, c_inverted = centres(written, Chem.Mol(built), heavy)
        moved = mmff_shift(built)
        figures["contact_molecules"] += 1 if count else 0
        figures["ez_kept"] += kept
        figures["ez_turned"] += turned
        figures["centres_kept"] += c_kept
        figures["centres_inverted"] += c_inverted
        if moved is not None:
            figures["mmff_judged"] += 1
            figures["mmff_molecules"] += 1 if moved else 0
            figures["mmff_bonds"] += moved
        lines.append(f"{s}\tok\tcontacts={count}" + (f"({closest:.2f})" if closest else "") +
                     f"\tez={kept}/{kept + turned}\tcentres={c_kept}/{c_kept + c_inverted}"
                     f"\tmmff={moved}")
    figures["kvtool_seconds"] = round(kv_seconds, 1)
    if "--skip-rdkit-time" not in argv:
        done, seconds = rdkit_time(smiles)
        figures["rdkit_molecules"] = done
        figures["rdkit_seconds"] = round(seconds, 1)
        figures["rdkit_over_kvtool"] = round(seconds / kv_seconds, 2) if kv_seconds else None
    if listing:
        with open(listing, "w") as f:
            f.write("\n".join(lines) + "\n")
    for key, value in figures.items():
        print(f"{key}\t{value}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
