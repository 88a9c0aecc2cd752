{\rtf1\ansi\deff0{\fonttbl{\f0 Courier New;}}
\pard\f0\fs20\b Specimen:\b0  <<ProcCode>>, received <<11>>\par
\par
\b Macroscopy:\b0  <<Usize in mm>>\par
\par
\b Microscopy:\b0  <<Ufindings>>\par
\par
\b Conclusion:\b0  <<Uconclusion>>\par
\par
Reported to <<DocTitle>> <<DocSur>>, <<Ward>>.\par}
