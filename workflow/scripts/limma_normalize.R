# Reads every slide's GenePix Results with limma, corrects the backgrounds (normexp, offset 50),
# normalises within arrays (loess) and writes the normalised M and A of every spot and slide, and
# a PDF of M-A plots, one page a slide. Single-channel files (635 only, one scan per slide) are
# normalised between arrays instead (quantile) and give the log2 expression E of every spot.
#   Rscript limma_normalize.R NORMALIZED.tsv MA.pdf NAME=FILE.gpr...
suppressMessages(library(limma))
args <- commandArgs(TRUE)
if (length(args) < 3) stop("usage: limma_normalize.R NORMALIZED.tsv MA.pdf NAME=FILE.gpr...")
table_path <- args[1]
pdf_path <- args[2]
pairs <- args[-(1:2)]
names <- sub("=.*", "", pairs)
files <- sub("^[^=]*=", "", pairs)

# limma combines the files row by row: every slide must have the same spots, with the same IDs
# and names, in the same order, or one slide's values would be written under another's genes.
spot_keys <- c("Block", "Column", "Row", "ID", "Name")
red_only <- list(G = "F635 Median", Gb = "B635 Median")
columns_of <- function(file) {
  records <- as.integer(strsplit(readLines(file, n = 2)[2], "\t")[[1]][1])
  gsub("\"", "", strsplit(readLines(file, n = 3 + records)[3 + records], "\t")[[1]])
}
single <- sapply(files, function(f) !("F532 Median" %in% columns_of(f)))
if (length(unique(single)) > 1)
  stop("slide ", names[which(single != single[1])[1]], " has ",
       if (single[1]) "two channels" else "one channel", ", slide ", names[1], " ",
       if (single[1]) "one" else "two", "; limma needs one kind for all slides", call. = FALSE)
single <- single[1]
read_gpr <- function(file, ...) {
  if (single)
    read.maimages(file, source = "genepix", columns = red_only, green.only = TRUE, ...)
  else read.maimages(file, source = "genepix", ...)
}
spots_of <- function(file) {
  one <- read_gpr(file, verbose = FALSE)
  one$genes[, spot_keys]
}
same <- function(a, b) (is.na(a) & is.na(b)) | (!is.na(a) & !is.na(b) & a == b)
text_of <- function(v) ifelse(is.na(v), "NA", as.character(v))
first <- spots_of(files[1])
for (i in seq_along(files)[-1]) {
  other <- spots_of(files[i])
  if (nrow(other) != nrow(first))
    stop("slide ", names[i], " has ", nrow(other), " spots, slide ", names[1], " has ",
         nrow(first), "; limma needs the same spots on every slide", call. = FALSE)
  for (key in spot_keys) {
    differs <- which(!same(as.character(first[[key]]), as.character(other[[key]])))
    if (length(differs) == 0) next
    n <- differs[1]
    stop("slide ", names[i], " differs from slide ", names[1], " at spot ", n, " (Block ",
         first$Block[n], ", Column ", first$Column[n], ", Row ", first$Row[n], "): ", key, " '",
         text_of(other[[key]][n]), "' where slide ", names[1], " has '",
         text_of(first[[key]][n]), "'; limma needs the same spots on every slide", call. = FALSE)
  }
}

# Flagged spots weigh nothing in the loess curve: no well (-75), marked or saturated (-100) and
# outside the scans (-50, Not Found). They are still normalised and written, with their weight
# beside them. Quantile normalisation takes no weights; they are written all the same.
flagged_weigh_nothing <- function(x) as.numeric(x$Flags >= 0)
RG <- read_gpr(files, names = names, wt.fun = flagged_weigh_nothing, verbose = FALSE)
RG <- backgroundCorrect(RG, method = "normexp", offset = 50, verbose = FALSE)
MA <- if (single) normalizeBetweenArrays(RG, method = "quantile") else
  normalizeWithinArrays(RG, method = "loess")

out <- data.frame(Block = RG$genes$Block, Column = RG$genes$Column, Row = RG$genes$Row,
                  ID = text_of(RG$genes$ID), Name = text_of(RG$genes$Name),
                  check.names = FALSE, stringsAsFactors = FALSE)
values <- if (single) list(E = MA$E) else list(M = MA$M, A = MA$A)
for (i in seq_along(names)) {
  for (v in names(values)) out[[paste(v, names[i])]] <- sprintf("%.6g", values[[v]][, i])
  out[[paste("W", names[i])]] <- sprintf("%.6g", MA$weights[, i])
}
tmp <- paste0(table_path, ".part")
write.table(out, tmp, sep = "\t", quote = FALSE, row.names = FALSE)
invisible(file.rename(tmp, table_path))

pdf(paste0(pdf_path, ".part"), width = 7, height = 6)
for (i in seq_along(names)) {
  # One channel: the slide's log expression against the mean of the others.
  plotMA(MA, array = i, main = paste("Slide", names[i],
                                     if (single) "(quantile-normalised)" else "(loess-normalised)"))
  abline(h = 0, col = "grey")
}
invisible(dev.off())
invisible(file.rename(paste0(pdf_path, ".part"), pdf_path))
cat("normalised", nrow(out), "spots on", length(names), "slide(s)\n")
