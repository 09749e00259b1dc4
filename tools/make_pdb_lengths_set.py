#!/usr/bin/python3
"""Writes the PDB ligand files of the bond-length tests (tests/data/pdb-ligand-lengths*.pdb).

  make_pdb_lengths_set.py OUT_FOLDER

Molecules whose bond lengths settle orders that their angles or a valence rule could overrule
(azo groups, strained alkenes, an allene, a strained alkyne, an azide, a diazo group, a cyclic
hydrazide, fused cyclopentenes, cyclic aminals) and some that must keep reading right, one
MODEL each, one HETATM residue, embedded with ETKDG (seed 42) and relaxed with MMFF94:
  pdb-ligand-lengths.pdb        no hydrogens, no CONECT records, no charges;
  pdb-ligand-lengths-h.pdb      the same with hydrogens and the charges of columns 79-80 (what
                                the first file must read as);
  pdb-ligand-lengths-noisy.pdb  norbornene and azobenzene as in the first file, with Gaussian
                                noise of 0.04 A on every coordinate (seed 11).
REMARK 2 lines give each model's SMILES.
"""
import os
import random
import sys

from make_pdb_conect_set import embedded, records
from pdb_ligand_report import with_noise
from rdkit import Chem

MOLECULES = [
    ("CN=NC", "AZM"),                          # azomethane
    ("c1ccc(cc1)/N=N/c1ccccc1", "AZB"),        # azobenzene
    ("C1CC2CC1C=C2", "NBE"),                   # norbornene
    ("C1CC2CCC1C=C2", "BCO"),                  # bicyclo[2.2.2]oct-2-ene
    ("C1CC=C1", "CBE"),                        # cyclobutene
    ("C1C=CC2C1C1CC2C=C1", "DCP"),             # dicyclopentadiene
    ("C1=CCC2CC=CC2C1", "THN"),                # 3a,4,7,7a-tetrahydroindene, fused cyclopentene
    ("C=C=CC", "BDE"),                         # 1,2-butadiene
    ("C1CCCC#CCC1", "COY"),                    # cyclooctyne
    ("CN=[N+]=[N-]", "MAZ"),                   # methyl azide
    ("CC(=O)C=[N+]=[N-]", "DZA"),              # diazoacetone
    ("O=C1CC(=O)NN1", "PZD"),                  # pyrazolidine-3,5-dione
    ("c1ccc2c(c1)NCN2", "DBI"),                # 2,3-dihydro-1H-benzimidazole, a cyclic aminal
    ("c1cnc2c(c1)NCN2", "DIP"),                # 2,3-dihydro-1H-imidazo[4,5-b]pyridine
    ("C[N+]#[C-]", "MIC"),                     # methyl isocyanide
    ("C1CC=CC1", "CPE"),                       # cyclopentene: these read right and stay so
    ("CC1=CC1", "MCP"),                        # 1-methylcyclopropene
    ("C=C1CCC1", "MCB"),                       # methylenecyclobutane
    ("CC1=NCCN1", "MIM"),                      # 2-methyl-2-imidazoline
    ("CC(C)=C=O", "DMK"),                      # dimethylketene
    ("CCC#C", "BUY"),                          # 1-butyne
    ("O=Nc1ccccc1", "NSB"),                    # nitrosobenzene
]
NOISY = ("NBE", "AZB")


def blank_charge(line):
    return line[:78] + "  "


def model_lines(mols, hydrogens, noise_rng=None):
    out = []
    for number, (mol, smiles, residue) in enumerate(mols, start=1):
        m = with_noise(mol, 0.04, noise_rng) if noise_rng else Chem.Mol(mol)
        if not hydrogens:
            m = Chem.RemoveHs(m)
        lines, _ = records(m, residue, 1, 1, 0.0)
        if not hydrogens:
            lines = [blank_charge(line) for line in lines]
        out += ["MODEL     %4d" % number] + lines + ["ENDMDL"]
    return out


def write(path, title, mols, lines):
    remarks = ["REMARK   1 " + title]
    remarks += ["REMARK   2 %2d %s" % (k, smiles) for k, (_, smiles, _) in enumerate(mols, 1)]
    with open(path, "w") as f:
        f.write("\n".join(remarks + lines + ["END"]) + "\n")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    mols = [(embedded(smiles), smiles, residue) for smiles, residue in MOLECULES]
    title = "embedded with ETKDG and MMFF94, ideal, no CONECT"
    write(os.path.join(folder, "pdb-ligand-lengths.pdb"), title + ", no hydrogens or charges",
          mols, model_lines(mols, False))
    write(os.path.join(folder, "pdb-ligand-lengths-h.pdb"), title + ", hydrogens and charges",
          mols, model_lines(mols, True))
    noisy = [m for m in mols if m[2] in NOISY]
    write(os.path.join(folder, "pdb-ligand-lengths-noisy.pdb"),
          title + ", noise 0.04 A, no hydrogens or charges", noisy,
          model_lines(noisy, False, random.Random(11)))


if __name__ == "__main__":
    main()
