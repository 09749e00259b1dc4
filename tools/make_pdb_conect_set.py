#!/usr/bin/python3
"""Writes the PDB ligand files of the CONECT tests (tests/data/pdb-ligand-conect-*.pdb).

  make_pdb_conect_set.py OUT_FOLDER

One model, one HETATM residue per molecule (residue numbers 1, 2, ...; each molecule moved 15 A
along x from the one before), embedded with ETKDG (seed 42) and relaxed with MMFF94 or UFF where
either has parameters. Each set is written with and without hydrogens ("-h" and plain) in four
ways of listing bonds:
  none       no CONECT records;
  once       every bond once, from the atom of lower serial;
  orders     every bond, a double bond's partner named twice and a triple's three times;
  multiples  only the multiple bonds, named twice or three times.
Charges stand in columns 79-80 as RDKit writes them.
"""
import os
import sys

from pdb_ligand_report import conect_lines
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem
from rdkit.Geometry import Point3D

RDLogger.DisableLog("rdApp.*")

MOLECULES = [
    ("Cc1cccs1", "THI"),                                        # 2-methylthiophene
    ("c1ccc(cc1)-c1nnn[nH]1", "TET"),                           # 5-phenyltetrazole
    ("COP(=S)(OC)Oc1ccc(cc1)[N+](=O)[O-]", "PTM"),              # parathion-methyl
    ("N#CN=C(N)N", "CYG"),                                      # cyanoguanidine
    ("NC1=NCCO1", "AOX"),                                       # 2-amino-2-oxazoline
    ("CCOc1nc2ccccc2[nH]1", "EBZ"),                             # 2-ethoxybenzimidazole
    ("CC(=O)N=P(c1ccccc1)(c1ccccc1)c1ccccc1", "IMP"),           # an iminophosphorane
    ("COC(=O)C=P(c1ccccc1)(c1ccccc1)c1ccccc1", "YLI"),          # a stabilised ylide
    ("CC(C)(C)[Si](C)(C)OCc1ccccc1", "TBS"),                    # TBS ether of benzyl alcohol
    ("C[Si](C)(C)C#Cc1ccccc1", "TMA"),                          # a trimethylsilyl alkyne
    ("C[Se]C", "DMS"),                                          # dimethyl selenide
    ("O=C1N(c2ccccc2)[Se]c2ccccc12", "EBS"),                    # ebselen
    ("[O-][n+]1ccccc1", "PNO"),                                 # pyridine N-oxide
]


def embedded(smiles):
    mol = Chem.AddHs(Chem.MolFromSmiles(smiles))
    params = AllChem.ETKDGv3()
    params.randomSeed = 42
    if AllChem.EmbedMolecule(mol, params) != 0:
        raise RuntimeError("cannot embed " + smiles)
    if AllChem.MMFFHasAllMoleculeParams(mol):
        AllChem.MMFFOptimizeMolecule(mol, maxIters=2000)
    elif AllChem.UFFHasAllMoleculeParams(mol):
        AllChem.UFFOptimizeMolecule(mol, maxIters=2000)
    return mol


def records(mol, residue, number, first_serial, shift):
    """HETATM lines of one residue and its bonds as (serial, serial, order)."""
    conf = mol.GetConformer()
    lines = []
    counts = {}
    for atom in mol.GetAtoms():
        element = atom.GetSymbol()
        counts[element] = counts.get(element, 0) + 1
        name = (element.upper() + str(counts[element]))[:4]
        p = conf.GetAtomPosition(atom.GetIdx())
        charge = atom.GetFormalCharge()
        charge_text = "" if charge == 0 else "%d%s" % (abs(charge), "+" if charge > 0 else "-")
        lines.append("HETATM%5d %-4s %3s A%4d    %8.3f%8.3f%8.3f  1.00  0.00          %2s%-2s"
                     % (first_serial + atom.GetIdx(), name if len(name) == 4 else " " + name,
                        residue, number, p.x + shift, p.y, p.z, element.upper(), charge_text))
    Chem.Kekulize(mol, clearAromaticFlags=True)
    bonds = []
    for bond in mol.GetBonds():
        order = {Chem.BondType.SINGLE: 1, Chem.BondType.DOUBLE: 2,
                 Chem.BondType.TRIPLE: 3}[bond.GetBondType()]
        a, b = sorted((bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()))
        bonds.append((first_serial + a, first_serial + b, order))
    return lines, bonds


def conect(bonds, way):
    partners = {}
    for a, b, order in sorted(bonds):
        if way == "none" or (way == "multiples" and order == 1):
            continue
        times = 1 if way == "once" else order
        partners.setdefault(a, []).extend([b] * times)
    return conect_lines(partners)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    mols = [(embedded(smiles), residue) for smiles, residue in MOLECULES]
    for hydrogens in (True, False):
        atoms, bonds, serial = [], [], 1
        for number, (mol, residue) in enumerate(mols, start=1):
            m = Chem.Mol(mol) if hydrogens else Chem.RemoveHs(mol)
            lines, listed = records(m, residue, number, serial, 15.0 * (number - 1))
            atoms += lines
            bonds += listed
            serial += m.GetNumAtoms()
        for way in ("none", "once", "orders", "multiples"):
            name = "pdb-ligand-conect-%s%s.pdb" % (way, "-h" if hydrogens else "")
            with open(os.path.join(folder, name), "w") as f:
                f.write("\n".join(atoms + conect(bonds, way) + ["END"]) + "\n")


if __name__ == "__main__":
    main()
